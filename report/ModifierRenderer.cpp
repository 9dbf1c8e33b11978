#include "report/ModifierRenderer.h"

#include "report/ValueFormat.h"

#include <array>
#include <string>

namespace qvr {

const char* const LinkOutOfRangeWarning =
    "Exp, LFO, or Control Switch link is out of range.\n"
    "Patch may have been incorrectly converted from a different Oktrel(tm) product.\n"
    "Therefore, the information presented may be incomplete.";

namespace {

const int32_t NoLink = 255;

// How the lines of one link start: "Linked ..." when the modifier has a single
// link, "<ordinal> linked ..." otherwise.
struct TLinkWording {
    bool Single;
    std::string Ordinal;

    // `text` starts in lower case ("linked param = "). The line is written
    // into `line`, whose room is kept from link to link.
    std::string_view Lead(std::string_view text, std::string& line) const {
        line.clear();
        if (Single) {
            line.push_back(static_cast<char>(text[0] - 'a' + 'A'));
            line.append(text.substr(1));
        } else {
            line.append(Ordinal).append(" ").append(text);
        }
        return line;
    }
};

// Room for the lines of links, kept from link to link.
struct TLinkText {
    std::string Lead;
    std::string Value;
};

TLinkText& LinkText() {
    thread_local TLinkText text;
    return text;
}

std::string OrdinalWord(int32_t link) {
    static const std::array<const char*, 8> words = {"1st", "2nd", "3rd", "4th",
                                                     "5th", "6th", "7th", "8th"};
    return link < 8 ? words[static_cast<size_t>(link)] : "";
}

const TQvrParam* FindLinkedParam(const TQvrComponent& component, int32_t typeIndex,
                                 int32_t paramIndex) {
    const int32_t typeId = component.TypeNames[static_cast<size_t>(typeIndex)].Id;
    for (size_t t = 0; t < component.Types.Count(); ++t) {
        const TQvrType& type = component.Types.Item(t);
        if (type.Id != typeId) {
            continue;
        }
        // Only the first type with the id counts.
        if (paramIndex >= 0 && static_cast<size_t>(paramIndex) < type.Params.Count()) {
            return &type.Params.Object(static_cast<size_t>(paramIndex));
        }
        return nullptr;
    }
    return nullptr;
}

std::string_view ModuleLabel(int32_t position, const TQvrComponent* component,
                             const TRenderState& state) {
    if (position == state.RedAmpPos) {
        return "Red";
    }
    if (position == state.GreenAmpPos) {
        return "Green";
    }
    if (position == state.RedCabPos) {
        return "Red Cab";
    }
    if (position == state.GreenCabPos) {
        return "Green Cab";
    }
    if (component == nullptr || component->Name == "Misc" || component->Name == "Amplarium") {
        return "";
    }
    return component->Name;
}

bool IsChannelModule(int32_t position, const TRenderState& state) {
    return position == state.RedAmpPos || position == state.GreenAmpPos ||
           position == state.RedCabPos || position == state.GreenCabPos;
}

// A link to a module of the recorded chain.
void RenderKnownModuleLink(TMidiSysEx& message, TRenderContext& context, int32_t position,
                           const TLinkWording& wording) {
    const auto entry =
        static_cast<uint32_t>(context.State.ModulePositions[static_cast<size_t>(position)]);
    const auto componentId = static_cast<int32_t>(entry >> 16);
    int32_t typeIndex = static_cast<int32_t>(entry & 0xFFFFu);
    const TQvrComponent* component = context.FindComponent(componentId);
    const std::string_view label = ModuleLabel(position, component, context.State);
    TLinkText& text = LinkText();
    const int32_t paramIndex = message.NextByte() - 1;

    // A module the configuration does not know has no type names at all.
    const size_t typeNameCount = component != nullptr ? component->TypeNames.size() : 0;
    if (IsChannelModule(position, context.State) &&
        static_cast<size_t>(typeIndex) >= typeNameCount) {
        typeIndex = 0;
    }
    if (static_cast<size_t>(typeIndex) >= typeNameCount) {
        context.Notifier.ShowWarning(LinkOutOfRangeWarning);
        ReadVarValue(message);
        ReadVarValue(message);
        context.Sink.Line(wording.Lead("linked param undefined", text.Lead));
        return;
    }

    const TQvrParam* param = FindLinkedParam(*component, typeIndex, paramIndex);
    if (param != nullptr) {
        text.Value.assign(label).append(" ").append(param->Name);
        context.Sink.Value(wording.Lead("linked param", text.Lead), text.Value);
        context.Sink.Value("Max", ParamValueText(*param, ReadVarValue(message), context));
        context.Sink.Value("Min", ParamValueText(*param, ReadVarValue(message), context));
        return;
    }
    text.Value.assign(label).append(" ").append(std::to_string(paramIndex));
    context.Sink.Value(wording.Lead("linked param index", text.Lead), text.Value);
    context.Sink.Value("Max val", std::to_string(ReadVarValue(message)));
    context.Sink.Value("Min val", std::to_string(ReadVarValue(message)));
}

// A link whose module position lies beyond the recorded chain: raw numbers.
void RenderUnknownPositionLink(TMidiSysEx& message, TRenderContext& context, int32_t position,
                               int32_t link, const TLinkWording& wording) {
    std::string& lead = LinkText().Lead;
    context.Sink.Value(wording.Lead("linked param module position", lead),
                       std::to_string(position));
    context.Sink.Value(wording.Lead("linked param index", lead),
                       std::to_string(message.NextByte()));
    const std::string prefix = "Param " + std::to_string(link);
    context.Sink.Value(prefix + " max val", std::to_string(ReadVarValue(message)));
    context.Sink.Value(prefix + " min val", std::to_string(ReadVarValue(message)));
}

} // namespace

void RenderModifier(TMidiSysEx& message, TRenderContext& context) {
    const TQvrModifier* modifier = context.Config.FindModifierById(message.NextByte());
    if (modifier != nullptr) {
        context.Sink.ModuleStart(modifier->Name, TNameSlot::None);
    }

    const int32_t valueCount = message.NextByte();
    for (int32_t i = 0; i < valueCount; ++i) {
        const int32_t value = ReadVarValue(message);
        if (modifier != nullptr && modifier->Params.Count() > static_cast<size_t>(i)) {
            EmitParam(modifier->Params.Object(static_cast<size_t>(i)), value, context);
        }
    }

    const int32_t linkCount = message.NextByte();
    for (int32_t link = 0; link < linkCount; ++link) {
        const TLinkWording wording{linkCount == 1, OrdinalWord(link)};
        const int32_t position = message.NextByte();
        if (position == NoLink) {
            context.Sink.Line(wording.Single ? "No link" : "No " + wording.Ordinal + " link");
            message.NextByte();
            ReadVarValue(message);
            ReadVarValue(message);
        } else if (position >= 0 &&
                   static_cast<size_t>(position) < context.State.ModulePositions.size()) {
            RenderKnownModuleLink(message, context, position, wording);
        } else {
            RenderUnknownPositionLink(message, context, position, link, wording);
        }
    }
}

} // namespace qvr
