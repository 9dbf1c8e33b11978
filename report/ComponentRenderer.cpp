#include "report/ComponentRenderer.h"

#include "report/ValueFormat.h"

#include <vector>

namespace qvr {

namespace {

enum class TModuleKind { Other, Amp, Cabinet };

// Appends the cell break and the bold heading of a known module (inputs and
// outputs have none) and fills the name slot of an amp or cabinet.
TModuleKind AppendHeading(const TQvrComponent& component, int32_t componentId,
                          TRenderContext& context) {
    TRenderState& state = context.State;
    TReportLines& lines = context.Lines;
    lines.Append(CellBreakMarker);
    if (component.Name == "Amp") {
        ++state.AmpCount;
        const bool green = state.AmpCount == 1;
        lines.Append(green ? "<b>Green Amp</b>" : "<b>Red Amp</b>");
        state.SetNameSlot(green ? state.GreenAmpNameSlot : state.RedAmpNameSlot, lines.Count(),
                          componentId);
        return TModuleKind::Amp;
    }
    if (component.Name == "Cabinet") {
        const bool green = state.AmpCount < 2;
        lines.Append(green ? "<b>Green Cabinet</b>" : "<b>Red Cabinet</b>");
        state.SetNameSlot(green ? state.GreenCabNameSlot : state.RedCabNameSlot, lines.Count(),
                          componentId);
        return TModuleKind::Cabinet;
    }
    lines.Append(component.Name == "Amplarium" ? "<b>Amp Channel</b>"
                                               : "<b>" + component.Name + "</b>");
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

void AppendTypeLine(const TQvrComponent& component, int32_t typeIndex, TModuleKind kind,
                    TReportLines& lines) {
    if (kind != TModuleKind::Other || typeIndex < 0 ||
        static_cast<size_t>(typeIndex) >= component.TypeNames.size()) {
        return;
    }
    const std::string& typeName = component.TypeNames[static_cast<size_t>(typeIndex)].Name;
    if (!component.TypeLabel.empty() && !typeName.empty()) {
        lines.Append(component.TypeLabel + " = " + typeName);
    }
}

} // namespace

void RenderComponent(TMidiSysEx& message, TRenderContext& context) {
    const int32_t componentId = message.NextByte();
    const TQvrComponent* component = context.Config.FindComponentById(componentId);

    TModuleKind kind = TModuleKind::Other;
    if (component != nullptr && component->Name != "Input" && component->Name != "Output") {
        kind = AppendHeading(*component, componentId, context);
    }

    message.NextByte(); // not used by the report
    const int32_t typeId = ReadWord16(message);
    const int32_t count = message.NextByte();

    // The parameter sets of the module's current type, looked up once per record.
    std::vector<const TQvrParamList*> typeParams;
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
                AppendTypeLine(*component, value, kind, context.Lines);
            }
            continue;
        }
        for (const TQvrParamList* params : typeParams) {
            if (params->Count() >= static_cast<size_t>(i)) {
                context.Lines.Append(ParamLine(params->Object(static_cast<size_t>(i) - 1), value,
                                               context.DecimalSeparator));
            }
        }
    }
}

} // namespace qvr
