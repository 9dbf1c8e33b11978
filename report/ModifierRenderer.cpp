#include "report/ModifierRenderer.h"

#include "report/ValueFormat.h"

#include <array>
#include <optional>
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
    std::string_view Ordinal;

    // `text` starts in lower case ("linked param"); the line's name is kept
    // with the preset.
    std::string_view Lead(std::string_view text, TRenderContext& context) const {
        std::string& line = context.Scratch;
        line.clear();
        if (Single) {
            line.push_back(static_cast<char>(text[0] - 'a' + 'A'));
            line.append(text.substr(1));
        } else {
            line.append(Ordinal).append(" ").append(text);
        }
        return context.Builder.Store(line);
    }
};

std::string_view OrdinalWord(int32_t link) {
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

// A raw number as a value without a parameter to show it.
TValue RawValue(int32_t raw, TRenderContext& context) {
    return TValue{raw, raw, context.Builder.Store(std::to_string(raw))};
}

void AddLine(TLink& link, std::string_view name, std::string_view value) {
    link.Shown[link.ShownCount++] = TLink::TLinkLine{name, value};
}

// A link to a module of the recorded chain.
void RenderKnownModuleLink(TMidiSysEx& message, TRenderContext& context, int32_t index,
                           int32_t position, const TLinkWording& wording) {
    const auto entry =
        static_cast<uint32_t>(context.State.ModulePositions[static_cast<size_t>(position)]);
    const auto componentId = static_cast<int32_t>(entry >> 16);
    int32_t typeIndex = static_cast<int32_t>(entry & 0xFFFFu);
    const TQvrComponent* component = context.FindComponent(componentId);
    const std::string_view label = ModuleLabel(position, component, context.State);
    const int32_t paramIndex = message.NextByte() - 1;

    // A module the configuration does not know has no type names at all.
    const size_t typeNameCount = component != nullptr ? component->TypeNames.size() : 0;
    if (IsChannelModule(position, context.State) &&
        static_cast<size_t>(typeIndex) >= typeNameCount) {
        typeIndex = 0;
    }
    if (static_cast<size_t>(typeIndex) >= typeNameCount) {
        // Made once: a badly converted file has this warning for nearly every link.
        static const std::string warning(LinkOutOfRangeWarning);
        context.Notifier.ShowWarning(warning);
        ReadVarValue(message);
        ReadVarValue(message);
        context.Builder.Note(wording.Lead("linked param undefined", context));
        return;
    }

    // Filled in place: a link is too large to copy.
    TLink& link = context.Builder.AddLink();
    link.Index = index;
    link.Position = position;
    link.ModuleHeading = context.State.ModuleHeadings[static_cast<size_t>(position)];
    link.ParameterIndex = paramIndex;
    std::string& target = context.Scratch;
    const TQvrParam* param = FindLinkedParam(*component, typeIndex, paramIndex);
    if (param != nullptr) {
        link.Target = TLinkTarget::Parameter;
        link.Parameter = param->Name;
        const std::string_view lead = wording.Lead("linked param", context);
        target.assign(label).append(" ").append(param->Name);
        AddLine(link, lead, context.Builder.Store(target));
        link.Max = ParamValue(*param, ReadVarValue(message), context);
        link.Min = ParamValue(*param, ReadVarValue(message), context);
        AddLine(link, "Max", link.Max.Text);
        AddLine(link, "Min", link.Min.Text);
    } else {
        link.Target = TLinkTarget::ParameterIndex;
        const std::string_view lead = wording.Lead("linked param index", context);
        target.assign(label).append(" ").append(std::to_string(paramIndex));
        AddLine(link, lead, context.Builder.Store(target));
        link.Max = RawValue(ReadVarValue(message), context);
        link.Min = RawValue(ReadVarValue(message), context);
        AddLine(link, "Max val", link.Max.Text);
        AddLine(link, "Min val", link.Min.Text);
    }
}

// A link whose module position lies beyond the recorded chain: raw numbers.
void RenderUnknownPositionLink(TMidiSysEx& message, TRenderContext& context, int32_t index,
                               int32_t position, const TLinkWording& wording) {
    TLink& link = context.Builder.AddLink();
    link.Index = index;
    link.Position = position;
    link.Target = TLinkTarget::BeyondChain;
    AddLine(link, wording.Lead("linked param module position", context),
            context.Builder.Store(std::to_string(link.Position)));
    const int32_t paramByte = message.NextByte();
    link.ParameterIndex = paramByte - 1;
    AddLine(link, wording.Lead("linked param index", context),
            context.Builder.Store(std::to_string(paramByte)));
    link.Max = RawValue(ReadVarValue(message), context);
    link.Min = RawValue(ReadVarValue(message), context);
    const std::string prefix = "Param " + std::to_string(link.Index);
    AddLine(link, context.Builder.Store(prefix + " max val"), link.Max.Text);
    AddLine(link, context.Builder.Store(prefix + " min val"), link.Min.Text);
}

} // namespace

void RenderModifier(TMidiSysEx& message, TRenderContext& context) {
    const int32_t modifierId = message.NextByte();
    const TQvrModifier* modifier = context.Config.FindModifierById(modifierId);
    TModule& module = context.Builder.AddModule(TNameSlot::None);
    module.Kind = modifier != nullptr ? TModuleKind::Modifier : TModuleKind::UnknownModifier;
    module.Id = modifierId;
    if (modifier != nullptr) {
        module.Name = modifier->Name;
        module.Heading = module.Name;
    }

    const int32_t valueCount = message.NextByte();
    for (int32_t i = 0; i < valueCount; ++i) {
        const int32_t value = ReadVarValue(message);
        if (modifier != nullptr && modifier->Params.Count() > static_cast<size_t>(i)) {
            EmitParam(modifier->Params.Object(static_cast<size_t>(i)), value, context);
        }
    }

    const int32_t linkCount = message.NextByte();
    context.Builder.CurrentModule().LinksGiven = linkCount;
    for (int32_t index = 0; index < linkCount; ++index) {
        const TLinkWording wording{linkCount == 1, OrdinalWord(index)};
        const int32_t position = message.NextByte();
        if (position == NoLink) {
            context.Builder.Note(wording.Single ? std::string("No link")
                                                : "No " + std::string(wording.Ordinal) + " link");
            message.NextByte();
            ReadVarValue(message);
            ReadVarValue(message);
        } else if (position >= 0 &&
                   static_cast<size_t>(position) < context.State.ModulePositions.size()) {
            RenderKnownModuleLink(message, context, index, position, wording);
        } else {
            RenderUnknownPositionLink(message, context, index, position, wording);
        }
    }
}

} // namespace qvr
