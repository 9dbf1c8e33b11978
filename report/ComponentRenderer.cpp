#include "report/ComponentRenderer.h"

#include "report/ValueFormat.h"

#include <vector>

namespace qvr {

namespace {

enum class TModuleKind { Other, Amp, Cabinet };

// Starts a known module (inputs and outputs have no heading) and fills the
// name slot of an amp or cabinet.
TModuleKind StartModule(const TQvrComponent& component, int32_t componentId,
                        TRenderContext& context) {
    TRenderState& state = context.State;
    if (component.Name == "Amp") {
        ++state.AmpCount;
        const bool green = state.AmpCount == 1;
        state.SetNameSlot(green ? state.GreenAmpNameSlot : state.RedAmpNameSlot, componentId);
        context.Sink.ModuleStart(green ? "Green Amp" : "Red Amp",
                                 green ? TNameSlot::GreenAmp : TNameSlot::RedAmp);
        return TModuleKind::Amp;
    }
    if (component.Name == "Cabinet") {
        const bool green = state.AmpCount < 2;
        state.SetNameSlot(green ? state.GreenCabNameSlot : state.RedCabNameSlot, componentId);
        context.Sink.ModuleStart(green ? "Green Cabinet" : "Red Cabinet",
                                 green ? TNameSlot::GreenCabinet : TNameSlot::RedCabinet);
        return TModuleKind::Cabinet;
    }
    context.Sink.ModuleStart(component.Name == "Amplarium" ? std::string_view("Amp Channel")
                                                           : std::string_view(component.Name),
                             TNameSlot::None);
    return TModuleKind::Other;
}

// Adds the module's entry to the chain; the first amps and cabinets also
// become the green and red channel modules that links name by colour.
void RecordModule(int32_t componentId, int32_t typeIndex, TModuleKind kind, TRenderState& state) {
    const uint32_t entry =
        static_cast<uint32_t>(componentId) * 65536u + static_cast<uint32_t>(typeIndex);
    state.ModulePositions.push_back(static_cast<int32_t>(entry));
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

void EmitTypeLine(const TQvrComponent& component, int32_t typeIndex, TModuleKind kind,
                  IReportSink& sink) {
    if (kind != TModuleKind::Other || typeIndex < 0 ||
        static_cast<size_t>(typeIndex) >= component.TypeNames.size()) {
        return;
    }
    const std::string& typeName = component.TypeNames[static_cast<size_t>(typeIndex)].Name;
    if (!component.TypeLabel.empty() && !typeName.empty()) {
        sink.Value(component.TypeLabel, typeName);
    }
}

} // namespace

void RenderComponent(TMidiSysEx& message, TRenderContext& context) {
    const int32_t componentId = message.NextByte();
    const TQvrComponent* component = context.FindComponent(componentId);

    TModuleKind kind = TModuleKind::Other;
    if (component != nullptr && component->Name != "Input" && component->Name != "Output") {
        kind = StartModule(*component, componentId, context);
    }

    message.NextByte(); // unused
    const int32_t typeId = ReadWord16(message);
    const int32_t count = message.NextByte();

    // The parameter sets of the module's current type, looked up once per record (into a
    // list that keeps its room from record to record).
    thread_local std::vector<const TQvrParamList*> typeParams;
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
        RecordModule(componentId, 0, kind, context.State);
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t value = ReadVarValue(message);
        if (i == 0) {
            RecordModule(componentId, value, kind, context.State);
            if (component != nullptr) {
                EmitTypeLine(*component, value, kind, context.Sink);
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
