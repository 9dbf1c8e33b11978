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
    // How the module is named: its heading; for a module without one (Input,
    // Output) the configuration's name, for one the configuration does not
    // know its kind and id ("unknown component 37"). None for the lines
    // before a preset's first module.
    std::optional<std::string> Module;
    std::string Name;
    std::string Old;
    std::string New;
    bool IsPair = true;
    // The module's kind, position and id: in the new preset, except for a
    // module removed.
    TModuleRef Where = {};

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
