#include "report/ComponentRenderer.h"

#include "report/ValueFormat.h"

#include <optional>
#include <string_view>
#include <vector>

namespace qvr {

namespace {

TModuleKind KindOf(const TQvrComponent* component) {
    if (component == nullptr) {
        return TModuleKind::UnknownComponent;
    }
    if (component->Name == "Input") {
        return TModuleKind::Input;
    }
    if (component->Name == "Output") {
        return TModuleKind::Output;
    }
    if (component->Name == "Amp") {
        return TModuleKind::Amp;
    }
    if (component->Name == "Cabinet") {
        return TModuleKind::Cabinet;
    }
    return TModuleKind::Component;
}

// Starts the module: its heading (inputs, outputs and unknown components have
// none) and the name slot of an amp or cabinet.
std::optional<std::string_view> StartModule(const TQvrComponent* component, int32_t componentId,
                                            TModuleKind kind, TRenderContext& context) {
    TRenderState& state = context.State;
    // The first amp of a chain and the cabinets before the second are green.
    if (kind == TModuleKind::Amp) {
        ++state.AmpCount;
    }
    const bool green = kind == TModuleKind::Amp ? state.AmpCount == 1 : state.AmpCount < 2;
    TNameSlot slot = TNameSlot::None;
    if (kind == TModuleKind::Amp) {
        slot = green ? TNameSlot::GreenAmp : TNameSlot::RedAmp;
    } else if (kind == TModuleKind::Cabinet) {
        slot = green ? TNameSlot::GreenCabinet : TNameSlot::RedCabinet;
    }
    // Filled in place: a module is too large to copy for every record.
    TModule& module = context.Builder.AddModule(slot);
    module.Kind = kind;
    module.Position = static_cast<int32_t>(state.ModulePositions.size());
    module.Id = componentId;
    if (component != nullptr) {
        module.Name = component->Name;
    }
    if (kind == TModuleKind::Amp) {
        state.SetNameSlot(green ? state.GreenAmpNameSlot : state.RedAmpNameSlot, componentId);
        module.Heading = green ? "Green Amp" : "Red Amp";
    } else if (kind == TModuleKind::Cabinet) {
        state.SetNameSlot(green ? state.GreenCabNameSlot : state.RedCabNameSlot, componentId);
        module.Heading = green ? "Green Cabinet" : "Red Cabinet";
    } else if (kind == TModuleKind::Component) {
        module.Heading = component->Name == "Amplarium" ? std::string_view("Amp Channel")
                                                        : std::string_view(component->Name);
    }
    return module.Heading;
}

// Adds the module's entry to the chain; the first amps and cabinets also
// become the green and red channel modules that links name by colour.
void RecordModule(int32_t componentId, int32_t typeIndex, TModuleKind kind,
                  std::optional<std::string_view> heading, TRenderState& state) {
    const uint32_t entry =
        static_cast<uint32_t>(componentId) * 65536u + static_cast<uint32_t>(typeIndex);
    state.ModulePositions.push_back(static_cast<int32_t>(entry));
    state.ModuleHeadings.push_back(heading);
    const auto position = static_cast<int32_t>(state.ModulePositions.size() - 1);
    int32_t* green = nullptr;
    int32_t* red = nullptr;
    if (kind == TModuleKind::Amp) {
        green = &state.GreenAmpPos;
        red = &state.RedAmpPos;
    } else if (kind == TModuleKind::Cabinet) {
        green = &state.GreenCabPos;
        red = &state.RedCabPos;
    } else {
        return;
    }
    if (*green < 0) {
        *green = position;
    } else if (*red < 0) {
        *red = position;
    }
}

// The selected type: its name for the module, and a parameter of its own
// when the configuration names types (not for amps and cabinets, whose
// user-model name stands there).
void AddType(const TQvrComponent& component, int32_t typeIndex, TModuleKind kind,
             TPresetBuilder& builder) {
    if (typeIndex < 0 || static_cast<size_t>(typeIndex) >= component.TypeNames.size()) {
        return;
    }
    const std::string& typeName = component.TypeNames[static_cast<size_t>(typeIndex)].Name;
    builder.CurrentModule().TypeName = typeName;
    if (kind != TModuleKind::Amp && kind != TModuleKind::Cabinet && !component.TypeLabel.empty() &&
        !typeName.empty()) {
        TParameter& type = builder.AddParameter();
        type.Name = component.TypeLabel;
        type.Text = typeName;
        type.Raw = typeIndex;
        type.IsType = true;
    }
}

} // namespace

void RenderComponent(TMidiSysEx& message, TRenderContext& context) {
    const int32_t componentId = message.NextByte();
    const TQvrComponent* component = context.FindComponent(componentId);
    const TModuleKind kind = KindOf(component);
    const std::optional<std::string_view> heading =
        StartModule(component, componentId, kind, context);

    message.NextByte(); // unused
    const int32_t typeId = ReadWord16(message);
    const int32_t count = message.NextByte();
    context.Builder.CurrentModule().TypeId = typeId;

    // The parameter sets of the module's current type, looked up once per record.
    std::vector<const TQvrParamList*>& typeParams = context.TypeParams;
    typeParams.clear();
    if (component != nullptr) {
        for (size_t t = 0; t < component->Types.Count(); ++t) {
            const TQvrType& type = component->Types.Item(t);
            if (type.Id == typeId) {
                typeParams.push_back(&type.Params);
            }
        }
    }

    if (count == 0) {
        RecordModule(componentId, 0, kind, heading, context.State);
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t value = ReadVarValue(message);
        if (i == 0) {
            RecordModule(componentId, value, kind, heading, context.State);
            if (component != nullptr) {
                AddType(*component, value, kind, context.Builder);
            }
            continue;
        }
        for (const TQvrParamList* params : typeParams) {
            if (params->Count() >= static_cast<size_t>(i)) {
                EmitParam(params->Object(static_cast<size_t>(i) - 1), value, context);
            }
        }
    }
}

} // namespace qvr
