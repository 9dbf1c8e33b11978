#include "tools/presetgen/LineTokens.h"

#include "tools/presetgen/DescriptionError.h"

#include <cctype>

namespace qvr {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a quoted text starting at the opening quote; leaves pos after the
// closing one.
std::string ReadQuoted(std::string_view line, size_t& pos) {
    std::string text;
    ++pos;
    while (pos < line.size() && line[pos] != '"') {
        char c = line[pos++];
        if (c == '\\') {
            if (pos >= line.size()) {
                break;
            }
            const char e = line[pos++];
            if (e == 'x') {
                const int hi = pos < line.size() ? HexDigit(line[pos]) : -1;
                const int lo = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
                if (hi < 0 || lo < 0) {
                    throw EDescriptionError("\\x needs two hex digits");
                }
                c = static_cast<char>(hi * 16 + lo);
                pos += 2;
            } else if (e == '"' || e == '\\') {
                c = e;
            } else {
                throw EDescriptionError(std::string("unknown escape \\") + e);
            }
        }
        text += c;
    }
    if (pos >= line.size()) {
        throw EDescriptionError("quoted text without closing '\"'");
    }
    ++pos;
    return text;
}

} // namespace

std::string_view StripComment(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && line[i] == '#') {
            return line.substr(0, i);
        }
    }
    return line;
}

std::vector<TLineToken> SplitLine(std::string_view line) {
    std::vector<TLineToken> tokens;
    size_t pos = 0;
    for (;;) {
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        if (pos >= line.size()) {
            return tokens;
        }
        TLineToken token;
        if (line[pos] != '"') {
            const size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != '=' &&
                   line[pos] != '"') {
                ++pos;
            }
            if (pos < line.size() && line[pos] == '=') {
                token.Key = std::string(line.substr(start, pos - start));
                if (token.Key.empty()) {
                    throw EDescriptionError("'=' without a key");
                }
                ++pos;
            } else if (pos < line.size() && line[pos] == '"') {
                throw EDescriptionError("quote inside a word");
            } else {
                token.Value = std::string(line.substr(start, pos - start));
                tokens.push_back(std::move(token));
                continue;
            }
        }
        if (pos < line.size() && line[pos] == '"') {
            token.Value = ReadQuoted(line, pos);
            token.Quoted = true;
            if (pos < line.size() && !IsBlank(line[pos])) {
                throw EDescriptionError("text right after a closing quote");
            }
        } else {
            const size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos])) {
                ++pos;
            }
            token.Value = std::string(line.substr(start, pos - start));
        }
        tokens.push_back(std::move(token));
    }
}

} // namespace qvr
