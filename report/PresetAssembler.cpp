#include "report/PresetAssembler.h"

#include "report/ColumnCount.h"
#include "report/ComponentRenderer.h"
#include "report/ModifierRenderer.h"
#include "report/ValueFormat.h"
#include "sysex/MessageIds.h"
#include "sysex/Products.h"

#include <cstdio>

namespace qvr {

namespace {

// Index bytes 254 and 255 mark a preset that has no number.
const int32_t FirstUnnumbered = 255;

std::string HexId(uint8_t messageId) {
    // The id is taken as a signed byte: 0x80 and above print as 32-bit words.
    const auto asSigned = static_cast<int32_t>(static_cast<int8_t>(messageId));
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(asSigned));
    return text;
}

} // namespace

std::string ReadName(TMidiSysEx& message) {
    std::string name;
    message.ReadString(name, 0);
    const size_t end = name.find('\0');
    if (end != std::string::npos) {
        name.resize(end);
    }
    return name;
}

TPresetAssembler::TPresetAssembler(TRenderContext& context, uint8_t productId, int32_t& columnCount)
    : Context(context), ModelTitle(ModelName(productId)), ColumnCount(columnCount) {
    Context.Builder.ReportStart(ModelTitle);
}

void TPresetAssembler::HandleBody(TMidiSysEx& message, uint8_t messageId) {
    switch (static_cast<TMessageId>(messageId)) {
    case TMessageId::PresetHeader:
        PresetHeader(message);
        break;
    case TMessageId::Components:
        Components(message);
        break;
    case TMessageId::Modifiers:
        Modifiers(message);
        break;
    case TMessageId::UserModel:
        UserModel(message);
        break;
    case TMessageId::RawParameters:
        RawParameters(message);
        break;
    case TMessageId::TwoValues:
        SkipBytes(message, 2 + 2 + 3); // two unused bytes, a 16-bit and a 24-bit value
        break;
    case TMessageId::OneByte10:
    case TMessageId::OneByte22:
        message.NextByte(); // their one byte
        break;
    case TMessageId::PairLists:
        PairLists(message);
        break;
    default:
        Unknown(messageId);
    }
}

void TPresetAssembler::PresetHeader(TMidiSysEx& message) {
    SkipBytes(message, 2); // unused
    const int32_t number = message.NextByte() + 1;
    const std::string name = ReadName(message);
    SkipBytes(message, 4); // unused

    if (!IsColumnCountInRange(ColumnCount)) {
        ColumnCount = DefaultColumnCount;
    }
    Context.Builder.PresetHeading(
        ModelTitle, number >= FirstUnnumbered ? std::nullopt : std::optional(number), name);
}

void TPresetAssembler::Components(TMidiSysEx& message) {
    // Each preset's chain stands on its own: links and user-model names refer
    // to the modules of this message only.
    Context.State.ResetPositions();
    Context.State.ResetNameSlots();
    Context.Builder.ChainStart();

    SkipBytes(message, 3); // unused
    const int32_t count = message.NextByte();
    for (int32_t i = 0; i < count; ++i) {
        RenderComponent(message, Context);
    }
}

void TPresetAssembler::Modifiers(TMidiSysEx& message) {
    SkipBytes(message, 3); // unused
    const int32_t count = message.NextByte();
    for (int32_t i = 0; i < count; ++i) {
        RenderModifier(message, Context);
    }
}

void TPresetAssembler::UserModel(TMidiSysEx& message) {
    SkipBytes(message, 3); // unused
    const int32_t componentId = message.NextByte();
    SkipBytes(message, 3); // unused
    const std::string name = ReadName(message);

    if (const TNameSlot slot = Context.State.TakeNameSlot(componentId); slot != TNameSlot::None) {
        Context.Builder.UserModelName(slot, name);
    }
    SkipBytes(message, ReadWord16(message)); // the model data, after its length
}

void TPresetAssembler::RawParameters(TMidiSysEx& message) {
    message.NextByte(); // unused
    const int32_t count = message.NextByte();
    for (int32_t i = 0; i < count; ++i) {
        message.NextByte(); // unused
        SkipRawParameters(message);
    }
}

void TPresetAssembler::PairLists(TMidiSysEx& message) {
    SkipBytes(message, 3); // unused
    const int32_t count = message.NextByte();
    for (int32_t i = 0; i < count; ++i) {
        SkipBytes(message, 2); // unused
        const int32_t pairs = message.NextByte();
        message.NextByte(); // unused
        SkipBytes(message, pairs * 2);
    }
}

void TPresetAssembler::Unknown(uint8_t messageId) {
    Context.Builder.Note("*** UNKNOWN datum " + HexId(messageId) + " ***");
}

} // namespace qvr
