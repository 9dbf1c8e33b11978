#pragma once

#include "report/PresetRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// One difference between two presets, in chain order.
struct TChange {
    enum class TKind : uint8_t {
        ModuleAdded,   // Module only in the new preset
        ModuleRemoved, // Module only in the old preset
        ValueChanged,  // Name's value went from Old to New
        LineAdded,     // the line (Name = New, or the whole line Name) only in the new preset
        LineRemoved,   // the line (Name = Old, or the whole line Name) only in the old preset
    };
    TKind Kind;
    // The module's heading; for a module added or removed without one, the
    // configuration's name for it. None: a module without heading (Input,
    // Output, the lines before a preset's first module).
    std::optional<std::string> Module;
    std::string Name;
    std::string Old;
    std::string New;
    bool IsPair = true;

    bool operator==(const TChange&) const = default;
};

// Which preset: its number (none for a preset without one) and name.
struct TPresetLabel {
    std::optional<int32_t> Number;
    std::string Name;

    bool operator==(const TPresetLabel&) const = default;
};

// What differs between a preset of the old file and one of the new: a preset
// only in one file has only that side.
struct TPresetDiff {
    std::optional<TPresetLabel> Old;
    std::optional<TPresetLabel> New;
    std::vector<TChange> Changes;

    bool Renamed() const { return Old && New && Old->Name != New->Name; }
};

// The differences of the modules of two presets: modules are matched in chain
// order by what they are (kind, the configuration's id and heading; Input and
// Output are modules of their own), their lines by name (whole lines by text)
// in order; a line of a matched pair whose value differs is a changed value.
// The names of the presets are not looked at.
std::vector<TChange> ComparePresets(const TPresetRecord& old, const TPresetRecord& now);

} // namespace qvr
