#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qvr {

// Where a "Name = " line for an amp or cabinet goes: right under its heading.
struct TNameSlot {
    bool Filled = false;
    size_t InsertIndex = 0; // line position in the report's line list
    int32_t ComponentId = 0;
};

// What the renderers remember while a file is read: where each module of the
// current preset's chain sits (for links) and where the user-model names of
// its amps and cabinets go.
struct TRenderState {
    // One entry per component record: id * 65536 + selected type index.
    std::vector<int32_t> ModulePositions;
    int32_t GreenAmpPos = -1;
    int32_t RedAmpPos = -1;
    int32_t GreenCabPos = -1;
    int32_t RedCabPos = -1;
    int32_t AmpCount = 0;
    int32_t NameSlotCount = 0;
    TNameSlot GreenAmpNameSlot;
    TNameSlot GreenCabNameSlot;
    TNameSlot RedAmpNameSlot;
    TNameSlot RedCabNameSlot;

    // Forgets the module chain: links then refer to the chain that follows.
    void ResetPositions();
    // Starts a new components message: no amps counted, every name slot empty.
    void ResetNameSlots();

    // Fills a slot for the line position just below a heading.
    void SetNameSlot(TNameSlot& slot, size_t insertIndex, int32_t componentId);
    // The insert position of the first filled slot of the component, in the
    // order green amp, green cabinet, red amp, red cabinet; that slot is used up.
    std::optional<size_t> TakeNameSlot(int32_t componentId);
    // A line was inserted at `pos`: the slots at or below it move down one line.
    void LineInsertedAt(size_t pos);
};

} // namespace qvr
