#include "base/TerminalText.h"

#include <cstdint>
#include <cstring>

namespace qvr {

size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty()) {
        return 0;
    }
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint8_t first = byte(0);
    size_t length = 0;
    uint8_t low = 0x80; // the second byte's range, narrowed for the edge cases
    uint8_t high = 0xBF;
    if (first < 0x80) {
        return 1;
    } else if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : 0x80;
        high = first == 0xED ? 0x9F : 0xBF;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : 0x80;
        high = first == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendHexEscape(std::string& out, unsigned code) {
    static constexpr char Digits[] = "0123456789abcdef";
    out += "\\x";
    out += Digits[(code >> 4) & 0xF];
    out += Digits[code & 0xF];
}

namespace {

// Whether all eight bytes of `word` are printable ASCII (0x20 to 0x7E), tested at once: messages
// repeat a warning's long lines thousands of times, nearly always without a control.
bool AllPrintable(uint64_t word) {
    constexpr uint64_t Ones = 0x0101010101010101u;
    constexpr uint64_t Highs = 0x8080808080808080u;
    if ((word & Highs) != 0) {
        return false;
    }
    // With every high bit clear, adding 1 sets it only in a byte of 0x7F (DEL), and
    // subtracting 0x20 borrows into it only from a byte below 0x20.
    const bool del = ((word + Ones) & Highs) != 0;
    const bool control = ((word - Ones * 0x20) & ~word & Highs) != 0;
    return !del && !control;
}

} // namespace

void AppendTerminalSafe(std::string& out, std::string_view text) {
    size_t clean = 0; // start of the bytes not yet appended
    for (size_t i = 0; i < text.size();) {
        if (text.size() - i >= sizeof(uint64_t)) {
            uint64_t word = 0;
            std::memcpy(&word, text.data() + i, sizeof word);
            if (AllPrintable(word)) {
                i += sizeof word;
                continue;
            }
        }
        const auto byte = static_cast<uint8_t>(text[i]);
        if ((byte >= 0x20 && byte < 0x7F) || byte == '\t') {
            ++i;
            continue;
        }
        size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(text.substr(i));
        unsigned control = 0x100; // none
        if (byte < 0x80) {
            control = byte;
        } else if (length == 2 && byte == 0xC2 && static_cast<uint8_t>(text[i + 1]) < 0xA0) {
            control = static_cast<uint8_t>(text[i + 1]);
        } else if (length == 0) {
            length = 1; // a byte outside UTF-8: a control only from 0x80 to 0x9F
            control = byte < 0xA0 ? byte : 0x100;
        }
        if (control < 0x100) {
            out.append(text.substr(clean, i - clean));
            AppendHexEscape(out, control);
            clean = i + length;
        }
        i += length;
    }
    out.append(text.substr(clean));
}

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendTerminalSafe(out, text);
    return out;
}

} // namespace qvr
