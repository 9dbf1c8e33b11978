#pragma once

#include "library/Sqlite.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qvr {

// A kind of module of a model as the library keeps it: texts in UTF-8, as the library's rows
// hold them.
struct TSeenModule {
    std::string_view Model; // "QVR-3"
    std::string_view Kind;  // "component", "amp", "modifier", ...
    std::optional<int32_t> TypeId;
    std::string_view Type; // the configuration's name of the type; empty when none
    std::optional<std::string_view> Heading;
};

// The raw numbers the library holds for parameter `parameter` (its shown name, "Status") of the
// modules of that kind, type and heading in the files of that model: what the owner's own
// devices have written. Each number once, lowest first. Throws ELibraryDatabase.
std::vector<int64_t> ParameterValuesSeen(TSqlite& db, const TSeenModule& module,
                                         std::string_view parameter);

// The characters (the files' 8-bit code page) and the greatest length of the names of the
// presets of `model` in the library.
struct TNamesSeen {
    std::array<bool, 256> Characters{};
    size_t Longest = 0;
    size_t Names = 0;
};
// Throws ELibraryDatabase.
TNamesSeen PresetNamesSeen(TSqlite& db, std::string_view model);

} // namespace qvr
