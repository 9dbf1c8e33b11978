#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qvr {

// How a value is laid out in a record. Auto picks the shortest form: the
// value byte itself below 0x80, else the short length form with as few bytes
// as the value needs. Short and Long force a length form with a given number
// of value bytes, so that descriptions can exercise every encoding.
enum class TVarForm { Auto, Short, Long };

struct TVarValue {
    uint32_t Value = 0;
    TVarForm Form = TVarForm::Auto;
    uint32_t Length = 0; // value bytes of a forced form
};

// Appends the encoded value. Throws std::invalid_argument when a forced form
// cannot hold the value (too few bytes, or a length the form cannot carry).
void AppendVarValue(std::vector<uint8_t>& out, const TVarValue& v);

} // namespace qvr
