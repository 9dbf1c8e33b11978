#include "tools/presetgen/VarValue.h"

#include <stdexcept>

namespace qvr {

namespace {

uint32_t BytesNeeded(uint32_t value) {
    uint32_t n = 1;
    while (n < 4 && (value >> (8 * n)) != 0) {
        ++n;
    }
    return n;
}

// The value, high byte first, padded with leading zero bytes to length bytes.
void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, uint32_t length) {
    for (uint32_t i = length; i > 0; --i) {
        const uint32_t shift = 8 * (i - 1);
        out.push_back(shift < 32 ? static_cast<uint8_t>(value >> shift) : 0);
    }
}

} // namespace

void AppendVarValue(std::vector<uint8_t>& out, const TVarValue& v) {
    switch (v.Form) {
    case TVarForm::Auto:
        if (v.Value < 0x80) {
            out.push_back(static_cast<uint8_t>(v.Value));
            return;
        }
        out.push_back(static_cast<uint8_t>(0x80 | BytesNeeded(v.Value)));
        AppendBigEndian(out, v.Value, BytesNeeded(v.Value));
        return;
    case TVarForm::Short:
        if (v.Length < 1 || v.Length > 127) {
            throw std::invalid_argument("short form takes 1 to 127 value bytes");
        }
        break;
    case TVarForm::Long:
        if (v.Length > 0xFFFF) {
            throw std::invalid_argument("long form takes 0 to 65535 value bytes");
        }
        break;
    }
    // A length of zero can only carry the value 0.
    if ((v.Length == 0 && v.Value != 0) || (v.Length > 0 && v.Length < BytesNeeded(v.Value))) {
        throw std::invalid_argument("value does not fit in " + std::to_string(v.Length) + " bytes");
    }
    if (v.Form == TVarForm::Short) {
        out.push_back(static_cast<uint8_t>(0x80 | v.Length));
    } else {
        out.push_back(0x80);
        out.push_back(static_cast<uint8_t>(v.Length >> 8));
        out.push_back(static_cast<uint8_t>(v.Length));
    }
    AppendBigEndian(out, v.Value, v.Length);
}

} // namespace qvr
