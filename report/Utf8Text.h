#pragma once

#include "base/TerminalText.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// A line put together before it goes into an output.
struct TLineText {
    void Append(std::string_view bytes) { Text.append(bytes); }
    void Append(char c) { Text.push_back(c); }
    std::string Text;
};

// The Unicode code point of a windows-1252 byte (as preset and configuration
// files hold text). The five bytes that code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) are the control characters of the same number.
uint32_t Windows1252CodePoint(uint8_t byte);

// The windows-1252 bytes of `text` when it is valid UTF-8 (as a command line's arguments are)
// whose every character the code page has; none otherwise.
std::optional<std::string> Windows1252FromUtf8(std::string_view text);

// Appends windows-1252 text as UTF-8 to `out` (anything with Append of text). With
// `TerminalSafe`, each control character (the C0 controls but tab, DEL, and the bytes the code
// page leaves undefined, which stand for C1 controls) is written as \xNN instead, as
// AppendTerminalSafe does, for text that goes to a terminal.
template <bool TerminalSafe = false, class TOut> void AppendUtf8(TOut& out, std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if constexpr (TerminalSafe) {
            const uint32_t code = Windows1252CodePoint(byte);
            if ((code < 0x20 && byte != '\t') || (code >= 0x7F && code < 0xA0)) {
                out.Append(text.substr(start, i - start));
                start = i + 1;
                std::string escape;
                AppendHexEscape(escape, code);
                out.Append(escape);
                continue;
            }
        }
        if (byte < 0x80) {
            continue;
        }
        out.Append(text.substr(start, i - start));
        start = i + 1;
        const uint32_t code = Windows1252CodePoint(byte);
        char bytes[3];
        size_t length = 3;
        if (code < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (code >> 6));
            bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
            length = 2;
        } else {
            bytes[0] = static_cast<char>(0xE0 | (code >> 12));
            bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
        }
        out.Append(std::string_view(bytes, length));
    }
    out.Append(text.substr(start));
}

// Appends windows-1252 text to a terminal's text: UTF-8 with control characters escaped.
template <class TOut> void AppendTerminalUtf8(TOut& out, std::string_view text) {
    AppendUtf8<true>(out, text);
}

// A name from the file system (bytes, normally UTF-8) as valid UTF-8: each byte
// that is not part of a valid UTF-8 sequence is written as the four
// characters \xNN (hexadecimal, lower case).
std::string FileNameUtf8(std::string_view bytes);

} // namespace qvr
