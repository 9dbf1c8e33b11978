#pragma once

#include "report/Utf8Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace qvr {

// The bytes a JSON string cannot hold as they are: control characters, quote
// and backslash, and for a text of the files (not `Utf8`) the bytes from 0x80,
// which are converted. One look-up a byte, as most bytes need nothing.
template <bool Utf8> constexpr std::array<bool, 256> JsonSpecialBytes() {
    std::array<bool, 256> special{};
    for (size_t byte = 0; byte < special.size(); ++byte) {
        special[byte] = byte < 0x20 || byte == '"' || byte == '\\' || (!Utf8 && byte >= 0x80);
    }
    return special;
}

// A JSON string: quotes, backslashes and control characters escaped; a text
// from the files (windows-1252) is converted to UTF-8 on the way, a text that
// is UTF-8 already (`Utf8` true) goes in as it is.
template <bool Utf8, class TOut> void AppendJsonText(TOut& out, std::string_view text) {
    static constexpr std::array<bool, 256> Special = JsonSpecialBytes<Utf8>();
    out.Append('"');
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (!Special[byte]) {
            continue;
        }
        out.Append(text.substr(start, i - start));
        start = i + 1;
        if (byte >= 0x80) {
            AppendUtf8(out, text.substr(i, 1));
        } else if (byte == '"' || byte == '\\') {
            out.Append('\\');
            out.Append(static_cast<char>(byte));
        } else if (byte == '\n') {
            out.Append("\\n");
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
            out.Append(escape);
        }
    }
    out.Append(text.substr(start));
    out.Append('"');
}

// A text of the files (windows-1252) as a JSON string.
template <class TOut> void AppendJsonString(TOut& out, std::string_view text) {
    AppendJsonText<false>(out, text);
}

// A JSON number, the same whatever the locale: whole numbers as integers,
// others in the shortest form that reads back as the same double; a value
// JSON cannot hold (infinite, not a number) as null.
template <class TOut> void AppendJsonNumber(TOut& out, double value) {
    if (!std::isfinite(value)) {
        out.Append("null");
        return;
    }
    char text[32];
    std::to_chars_result end{};
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        end = std::to_chars(text, text + sizeof text, static_cast<long long>(value));
    } else {
        end = std::to_chars(text, text + sizeof text, value);
    }
    out.Append(std::string_view(text, static_cast<size_t>(end.ptr - text)));
}

} // namespace qvr
