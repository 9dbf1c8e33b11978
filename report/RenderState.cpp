#include "report/RenderState.h"

namespace qvr {

void TRenderState::ResetPositions() {
    ModulePositions.clear();
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

void TRenderState::SetNameSlot(TNameSlot& slot, size_t insertIndex, int32_t componentId) {
    slot.Filled = true;
    slot.InsertIndex = insertIndex;
    slot.ComponentId = componentId;
    ++NameSlotCount;
}

std::optional<size_t> TRenderState::TakeNameSlot(int32_t componentId) {
    for (TNameSlot* slot :
         {&GreenAmpNameSlot, &GreenCabNameSlot, &RedAmpNameSlot, &RedCabNameSlot}) {
        if (slot->Filled && slot->ComponentId == componentId) {
            slot->Filled = false;
            return slot->InsertIndex;
        }
    }
    return std::nullopt;
}

void TRenderState::LineInsertedAt(size_t pos) {
    for (TNameSlot* slot :
         {&GreenAmpNameSlot, &GreenCabNameSlot, &RedAmpNameSlot, &RedCabNameSlot}) {
        if (slot->Filled && slot->InsertIndex >= pos) {
            ++slot->InsertIndex;
        }
    }
}

} // namespace qvr
