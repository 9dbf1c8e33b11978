#pragma once

// What the library keeps of a preset: the report's model of it
// (report/PresetModel.h) as the rows it writes, with texts of its own in
// UTF-8, so that it can pass from the reading thread to the writing one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

struct TLibParameter {
    std::string Name;             // as the configuration names it
    std::optional<int64_t> Raw;   // the number in the file
    std::optional<double> Number; // the value, when it is a number
    std::string Text;             // what the report shows
};

struct TLibModule {
    int32_t Position = 0;
    std::string Kind; // "input", "component", "modifier", ...
    std::optional<int32_t> TypeId;
    std::string Type;                   // the configuration's type name
    std::optional<std::string> Heading; // none for Input and Output
    std::optional<std::string> UserModelName;
    std::vector<TLibParameter> Parameters;
};

struct TLibPreset {
    std::optional<int32_t> Number;
    std::string Name;
    std::vector<TLibModule> Modules;
};

} // namespace qvr
