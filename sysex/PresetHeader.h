#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// Preset index bytes from this one up mark a preset without a number; below it, the preset's
// number as the device shows it is the index plus one.
inline constexpr uint8_t FirstUnnumberedIndex = 254;

// What the header message of a preset (message id 0x21) says about the preset.
struct TPresetHeaderFields {
    uint8_t Index = 0;
    std::string Name; // 8-bit, without its 0 byte

    // 1 to 254, or none for an unnumbered preset.
    std::optional<int32_t> Number() const {
        return Index < FirstUnnumberedIndex ? std::optional<int32_t>(Index + 1) : std::nullopt;
    }
};

// The fields of `message`, one whole preset header message (0xF0 to 0xF7) of the maker's
// envelope; none when it is anything else or too short to hold an index. Throws the reader's
// exceptions (EMidiSysExInvalid and the like) for a message that does not read.
std::optional<TPresetHeaderFields> ReadPresetHeader(std::string_view message);

// The bytes of the preset header `message` with its index replaced by `index` and the checksum
// made to fit, everything else of the body kept; written as the message writer writes it, so a
// header that came from that writer changes only in its index, its packing byte and its
// checksum. Throws the reader's exceptions for a message that does not read, and
// std::invalid_argument for one that is no preset header.
std::string RenumberPresetHeader(std::string_view message, uint8_t index);

} // namespace qvr
