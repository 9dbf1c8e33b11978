#include "report/PresetAssembler.h"

#include "report/ComponentRenderer.h"
#include "report/HtmlText.h"
#include "report/ModifierRenderer.h"
#include "report/ValueFormat.h"
#include "sysex/MessageIds.h"
#include "sysex/Products.h"

#include <cstdio>

namespace qvr {

const char* const TPresetAssembler::TableStart =
    "<table width=\"100%\" class=\"preset\" align=\"center\" border=\"1\" cellpadding=\"4\" "
    "cellspacing=\"0\" style=\"font-family: arial, sans-serif; font-size: 12\">";

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

TPresetAssembler::TPresetAssembler(TRenderContext& context, uint8_t productId, int32_t& columnCount,
                                   int32_t defaultColumnCount, int32_t maxColumnCount)
    : Context(context), ModelTitle(ModelName(productId)), ColumnCount(columnCount),
      DefaultColumnCount(defaultColumnCount), MaxColumnCount(maxColumnCount) {}

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
    const std::string name = EscapeHtml(ReadName(message));

    TReportLines& lines = Context.Lines;
    lines.Append(RowEndMarker);
    if (ColumnCount < 1 || ColumnCount > MaxColumnCount) {
        ColumnCount = DefaultColumnCount;
    }
    std::string heading = "<tr><th class=\"preset\" colspan=\"" + std::to_string(ColumnCount) +
                          "\" bgcolor=#EEEEEE align=\"center\">" + ModelTitle;
    if (number >= FirstUnnumbered) {
        heading += " Preset</th></tr>";
    } else {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%02u", static_cast<unsigned>(number));
        heading += std::string(" Preset #") + digits + "</th></tr>";
    }
    lines.Append(std::move(heading));
    lines.Append(CellBreakMarker);
    lines.Append("<b>Preset Name</b>");
    lines.Append(name);
    SkipBytes(message, 4); // unused
}

void TPresetAssembler::Components(TMidiSysEx& message) {
    // Each preset's chain stands on its own: links and user-model names refer
    // to the modules of this message only. No name can go above this point
    // any more, so the lines so far are packed away.
    Context.State.ResetPositions();
    Context.State.ResetNameSlots();
    Context.Lines.Seal();

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

    if (const auto position = Context.State.TakeNameSlot(componentId)) {
        Context.Lines.Insert(*position, "Name = " + EscapeHtml(name));
        Context.State.LineInsertedAt(*position);
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
    Context.Lines.Append("*** UNKNOWN datum " + HexId(messageId) + " ***");
}

} // namespace qvr
