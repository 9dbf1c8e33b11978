#pragma once

#include "sysex/Qvrsysex.h"

#include <cstddef>
#include <string_view>

namespace qvr {

// One whole message of a preset file, read so that the places of its body's bytes can be told:
// the reader's place is where the next NextByte reads. The last byte of the body is the
// checksum; the payload is what comes before it.
class TBodyReader : public TKorvaneQVRSysEx {
public:
    // Reads `message` (0xF0 to 0xF7) whole; throws the reader's exceptions for one that does
    // not read.
    explicit TBodyReader(std::string_view message);

    size_t Place() const { return Cursor < 0 ? 0 : static_cast<size_t>(Cursor); }
    size_t PayloadEnd() const { return DataLength > 0 ? static_cast<size_t>(DataLength) - 1 : 0; }
};

} // namespace qvr
