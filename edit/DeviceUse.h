#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// A parameter of a kind of module of a model, as the library keeps its values: texts in the
// files' 8-bit code page, the parameter by its shown name.
struct TSeenKey {
    std::string_view Model; // "QVR-3"
    std::string_view Kind;  // ModuleKindName: "component", "amp", "modifier", ...
    std::optional<int32_t> TypeId;
    std::string_view TypeName; // the configuration's name of the type; empty when none
    std::optional<std::string_view> Heading;
    std::string_view Parameter; // "Status", "Gain (dB)"
};

// The characters and length a preset name may have.
struct TNameRule {
    std::array<bool, 256> Characters{};
    size_t Longest = 0;

    // Takes in the characters and length of `name`.
    void Add(std::string_view name) {
        for (const char c : name) {
            Characters[static_cast<uint8_t>(c)] = true;
        }
        Longest = std::max(Longest, name.size());
    }
    bool Empty() const { return Longest == 0; }
};

// What the owner's own files show that a device uses, beyond the configuration's ranges.
struct TDeviceUse {
    // The raw numbers the library holds for a parameter, any order; not set: none.
    std::function<std::vector<int32_t>(const TSeenKey&)> Values;
    // The preset names the library holds for the model being edited.
    std::optional<TNameRule> Names;
};

} // namespace qvr
