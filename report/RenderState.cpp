#include "report/RenderState.h"

#include <utility>

namespace qvr {

void TRenderState::ResetPositions() {
    ModulePositions.clear();
    ModuleHeadings.clear();
    GreenAmpPos = -1;
    RedAmpPos = -1;
    GreenCabPos = -1;
    RedCabPos = -1;
}

void TRenderState::ResetNameSlots() {
    AmpCount = 0;
    NameSlotCount = 0;
    GreenAmpNameSlot = {};
    GreenCabNameSlot = {};
    RedAmpNameSlot = {};
    RedCabNameSlot = {};
}

void TRenderState::SetNameSlot(TNameSlotState& slot, int32_t componentId) {
    slot.Filled = true;
    slot.ComponentId = componentId;
    ++NameSlotCount;
}

TNameSlot TRenderState::TakeNameSlot(int32_t componentId) {
    const std::pair<TNameSlotState*, TNameSlot> slots[] = {
        {&GreenAmpNameSlot, TNameSlot::GreenAmp},
        {&GreenCabNameSlot, TNameSlot::GreenCabinet},
        {&RedAmpNameSlot, TNameSlot::RedAmp},
        {&RedCabNameSlot, TNameSlot::RedCabinet}};
    for (const auto& [slot, which] : slots) {
        if (slot->Filled && slot->ComponentId == componentId) {
            slot->Filled = false;
            return which;
        }
    }
    return TNameSlot::None;
}

} // namespace qvr
