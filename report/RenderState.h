#pragma once

#include "report/PresetBuilder.h" // TNameSlot

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qvr {

// An amp or cabinet of the current chain that a user-model name may still name.
struct TNameSlotState {
    bool Filled = false;
    int32_t ComponentId = 0;
};

// What the renderers remember while a file is read: where each module of the
// current preset's chain sits (for links) and where the user-model names of
// its amps and cabinets go.
struct TRenderState {
    // One entry per component record: id * 65536 + selected type index.
    std::vector<int32_t> ModulePositions;
    // The heading of each, as the report shows it (none for inputs, outputs
    // and unknown components).
    std::vector<std::optional<std::string_view>> ModuleHeadings;
    int32_t GreenAmpPos = -1;
    int32_t RedAmpPos = -1;
    int32_t GreenCabPos = -1;
    int32_t RedCabPos = -1;
    int32_t AmpCount = 0;
    int32_t NameSlotCount = 0;
    TNameSlotState GreenAmpNameSlot;
    TNameSlotState GreenCabNameSlot;
    TNameSlotState RedAmpNameSlot;
    TNameSlotState RedCabNameSlot;

    // Forgets the module chain: links then refer to the chain that follows.
    void ResetPositions();
    // Starts a new components message: no amps counted, every name slot empty.
    void ResetNameSlots();

    // Fills a slot for the module just started.
    void SetNameSlot(TNameSlotState& slot, int32_t componentId);
    // The first filled slot of the component, in the order green amp, green
    // cabinet, red amp, red cabinet, which is used up; None when there is none.
    TNameSlot TakeNameSlot(int32_t componentId);
};

} // namespace qvr
