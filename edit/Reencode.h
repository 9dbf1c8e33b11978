#pragma once

#include "edit/PresetValues.h"
#include "librarian/Dump.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qvr {

// The changes made to one preset: new raw numbers by the place of the value, and a new name.
struct TPresetEdits {
    std::map<TValuePlace, int32_t> Values;
    std::optional<std::string> Name; // 8-bit, without a 0 byte

    bool Empty() const { return Values.empty() && !Name; }
    bool operator==(const TPresetEdits&) const = default;
};

// The variable-length form of `raw` for a value whose form was `old`: the form itself when it
// holds the number (a single byte below 0x80, or a length form with enough bytes, which keeps
// the width the device wrote), else the shortest form (the byte itself below 0x80, else 0x81 to
// 0x84 and the number's bytes, high first). Negative numbers are their 32-bit pattern.
std::vector<uint8_t> EncodeVarValue(int32_t raw, std::span<const uint8_t> old);

// True when the preset header `message` holds a name ended by its 0 byte before the checksum,
// which a new name can replace.
bool HeaderHoldsName(std::string_view message);

// The bytes of the file `dump` holds with the edits of `preset` made: each message that holds
// an edited value, and the header for a new name, written anew (body, packing bytes and
// checksum, as the message writer writes them, its envelope kept); every other message and
// byte as the file has them. Throws std::invalid_argument for a place that lies in no message
// of the preset or a name with a 0 byte, and the reader's exceptions for a message that does
// not read.
std::string ApplyEdits(const TDump& dump, const TDumpPreset& preset, const TPresetEdits& edits);

} // namespace qvr
