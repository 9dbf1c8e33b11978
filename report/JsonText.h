#pragma once

#include "report/Utf8Text.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace qvr {

// A JSON string: quotes, backslashes and control characters escaped, the
// text converted to UTF-8.
template <class TOut> void AppendJsonString(TOut& out, std::string_view text) {
    out.Append('"');
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            continue;
        }
        AppendUtf8(out, text.substr(start, i - start));
        start = i + 1;
        if (byte == '"' || byte == '\\') {
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
    AppendUtf8(out, text.substr(start));
    out.Append('"');
}

} // namespace qvr
