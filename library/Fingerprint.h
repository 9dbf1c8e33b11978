#pragma once

#include "library/LibraryPreset.h"

#include <cstdint>

namespace qvr {

// What a preset is, apart from its name and number: its modules in chain order
// (place, kind, type and heading, user-model name) and every parameter's name,
// number in the file and text, as a 64-bit hash. Two presets with the same
// fingerprint are copies of one another, whatever they are called; a change of
// any value or module changes it.
int64_t PresetFingerprint(const TLibPreset& preset);

} // namespace qvr
