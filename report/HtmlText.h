#pragma once

#include <string_view>

namespace qvr {

// Text for an HTML document: & < > " become entities, every other byte stays.
template <class TOut> void AppendHtmlEscaped(TOut& out, std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = "&quot;";
            break;
        default:
            continue;
        }
        out.Append(text.substr(start, i - start));
        out.Append(entity);
        start = i + 1;
    }
    out.Append(text.substr(start));
}

} // namespace qvr
