#pragma once

#include <cstdint>

namespace qvr {

// The messages of a QVR family preset or backup file, by the id in their
// header. A preset starts with its header; the messages up to the next header
// describe it.
enum class TMessageId : uint8_t {
    // Two unused bytes, the preset index (254 and 255: no number), the name
    // with its 0 byte, four unused bytes.
    PresetHeader = 0x21,
    // Three unused bytes, a record count, the component records.
    Components = 0x24,
    // Three unused bytes, a record count, the modifier records.
    Modifiers = 0x26,
    // Three unused bytes, the component id, three unused bytes, the name with
    // its 0 byte, a 16-bit data length and the model data.
    UserModel = 0x2A,
    // One unused byte, a count, then per entry one unused byte and a block of
    // raw parameter values. Not shown.
    RawParameters = 0x0A,
    // Two unused bytes, a 16-bit and a 24-bit value. Not shown.
    TwoValues = 0x0F,
    // One byte each. Not shown.
    OneByte10 = 0x10,
    OneByte22 = 0x22,
    // Three unused bytes, a count, then per entry two unused bytes, a pair
    // count, one unused byte and that many byte pairs. Not shown.
    PairLists = 0x28,
};

} // namespace qvr
