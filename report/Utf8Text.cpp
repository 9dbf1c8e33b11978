#include "report/Utf8Text.h"

#include "base/TerminalText.h"

namespace qvr {

namespace {

// Code points of the bytes 0x80 to 0x9F.
constexpr std::array<uint16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string FileNameUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const size_t length = Utf8SequenceLength(bytes);
        if (length > 0) {
            text.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
            continue;
        }
        AppendHexEscape(text, static_cast<uint8_t>(bytes[0]));
        bytes.remove_prefix(1);
    }
    return text;
}

uint32_t Windows1252CodePoint(uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : byte;
}

std::optional<std::string> Windows1252FromUtf8(std::string_view text) {
    std::string bytes;
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            return std::nullopt;
        }
        // The lead byte's payload bits, then six from each continuation byte.
        uint32_t code = static_cast<uint8_t>(text[0]) & (length == 1 ? 0x7Fu : 0x3Fu >> length);
        for (size_t i = 1; i < length; ++i) {
            code = code << 6 | (static_cast<uint8_t>(text[i]) & 0x3Fu);
        }
        text.remove_prefix(length);
        bool found = false;
        for (uint32_t b = 0; b < 256 && !found; ++b) {
            if (Windows1252CodePoint(static_cast<uint8_t>(b)) == code) {
                bytes.push_back(static_cast<char>(b));
                found = true;
            }
        }
        if (!found) {
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace qvr
