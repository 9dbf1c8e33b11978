#include "platform/RegistryDocument.h"

#include <array>
#include <charconv>

namespace qvr {

namespace {

constexpr std::string_view CurrentUserRoot = "HKEY_CURRENT_USER";
constexpr std::string_view LocalMachineRoot = "HKEY_LOCAL_MACHINE";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = LowerAscii(c);
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(s[i]) != LowerAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

bool Writable(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) == s.npos;
}

// Splits a full key path into the spelled-out root and the non-empty segments.
std::optional<std::pair<std::string_view, std::vector<std::string_view>>>
SplitKeyPath(std::string_view fullPath) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= fullPath.size()) {
        size_t end = fullPath.find('\\', start);
        if (end == fullPath.npos) {
            end = fullPath.size();
        }
        if (end > start) {
            parts.push_back(fullPath.substr(start, end - start));
        }
        start = end + 1;
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    std::string root = LowerAscii(parts.front());
    std::string_view rootName;
    if (root == "hkey_current_user" || root == "hkcu") {
        rootName = CurrentUserRoot;
    } else if (root == "hkey_local_machine" || root == "hklm") {
        rootName = LocalMachineRoot;
    } else {
        return std::nullopt;
    }
    parts.erase(parts.begin());
    return std::make_pair(rootName, std::move(parts));
}

std::string JoinKeyPath(std::string_view root, const std::vector<std::string_view>& parts) {
    std::string out(root);
    for (std::string_view p : parts) {
        out += '\\';
        out += p;
    }
    return out;
}

// A quoted string with \\ and \" escapes; `s` starts at the opening quote. On success
// `rest` is what follows the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::string_view& rest) {
    if (s.empty() || s.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            rest = s.substr(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            c = s[++i];
        }
        out += c;
    }
    return std::nullopt;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<uint32_t> ParseHexNumber(std::string_view s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

// "41,42, 00" -> bytes; an empty list is allowed.
std::optional<std::string> ParseHexBytes(std::string_view s) {
    std::string out;
    s = TrimBlanks(s);
    if (s.empty()) {
        return out;
    }
    size_t start = 0;
    while (true) {
        size_t end = s.find(',', start);
        std::string_view item = TrimBlanks(s.substr(start, end == s.npos ? s.npos : end - start));
        auto byte = ParseHexNumber(item, 2);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        if (end == s.npos) {
            return out;
        }
        start = end + 1;
    }
}

std::optional<TRegValue> ParseData(std::string_view s) {
    s = TrimBlanks(s);
    std::string_view rest;
    TRegValue v;
    if (!s.empty() && s.front() == '"') {
        auto text = ParseQuoted(s, rest);
        if (!text || !TrimBlanks(rest).empty()) {
            return std::nullopt;
        }
        v.Type = RegSz;
        v.Data = std::move(*text);
        return v;
    }
    if (StartsWithNoCase(s, "expand:")) {
        auto text = ParseQuoted(TrimBlanks(s.substr(7)), rest);
        if (!text || !TrimBlanks(rest).empty()) {
            return std::nullopt;
        }
        v.Type = RegExpandSz;
        v.Data = std::move(*text);
        return v;
    }
    if (StartsWithNoCase(s, "dword:")) {
        auto n = ParseHexNumber(TrimBlanks(s.substr(6)), 8);
        if (!n) {
            return std::nullopt;
        }
        v.Type = RegDword;
        for (int i = 0; i < 4; ++i) {
            v.Data += static_cast<char>((*n >> (8 * i)) & 0xFF);
        }
        return v;
    }
    if (StartsWithNoCase(s, "hex:")) {
        v.Type = RegBinary;
        s.remove_prefix(4);
    } else if (StartsWithNoCase(s, "hex(")) {
        size_t close = s.find(')');
        if (close == s.npos || close + 1 >= s.size() || s[close + 1] != ':') {
            return std::nullopt;
        }
        auto type = ParseHexNumber(s.substr(4, close - 4), 8);
        if (!type) {
            return std::nullopt;
        }
        v.Type = *type;
        s.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexBytes(s);
    if (!bytes) {
        return std::nullopt;
    }
    v.Data = std::move(*bytes);
    return v;
}

std::string HexList(std::string_view data) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        if (i > 0) {
            out += ',';
        }
        out += Digits[b >> 4];
        out += Digits[b & 15];
    }
    return out;
}

std::string Hex(uint32_t n) {
    std::array<char, 8> digits{};
    auto result = std::to_chars(digits.data(), digits.data() + digits.size(), n, 16);
    return std::string(digits.data(), result.ptr);
}

std::string RenderData(const TRegValue& v) {
    if (v.Type == RegDword && v.Data.size() == 4) {
        uint32_t n = 0;
        for (size_t i = 4; i-- > 0;) {
            n = (n << 8) | static_cast<unsigned char>(v.Data[i]);
        }
        std::string digits = Hex(n);
        return "dword:" + std::string(8 - digits.size(), '0') + digits;
    }
    const bool text = v.Type == RegSz || v.Type == RegExpandSz;
    if (text && Writable(v.Data)) {
        return (v.Type == RegSz ? "" : "expand:") + Quote(v.Data);
    }
    // Text with line breaks goes as bytes with its terminator, as the registry stores it.
    std::string data = text ? v.Data + std::string(1, '\0') : v.Data;
    std::string head = v.Type == RegBinary ? "hex:" : "hex(" + Hex(v.Type) + "):";
    return head + HexList(data);
}

} // namespace

std::string CanonicalKeyPath(std::string_view fullPath) {
    auto split = SplitKeyPath(fullPath);
    if (!split) {
        return {};
    }
    return LowerAscii(JoinKeyPath(split->first, split->second));
}

void TRegDocument::Parse(std::string_view text) {
    Lines.clear();
    Keys.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == text.npos ? text.npos : end - start);
        // Every carriage return at the end goes: the text is written back with plain line
        // ends, and a line must read the same before and after.
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        Lines.emplace_back(line);
        if (end == text.npos) {
            break;
        }
        start = end + 1;
    }

    TKeyInfo* key = nullptr; // the current section's key
    for (size_t i = 0; i < Lines.size(); ++i) {
        const size_t first = i;
        std::string_view head = TrimBlanks(Lines[i]);
        if (!head.empty() && head.front() == '[') {
            key = nullptr;
            size_t close = head.rfind(']');
            if (close == head.npos || close < 1 || head[1] == '-') {
                continue;
            }
            auto split = SplitKeyPath(head.substr(1, close - 1));
            if (!split) {
                continue;
            }
            std::string display = JoinKeyPath(split->first, split->second);
            key = &Keys[LowerAscii(display)];
            key->InsertAt = i + 1;
            key->Display = std::move(display);
            continue;
        }
        if (key == nullptr || head.empty() || (head.front() != '"' && head.front() != '@')) {
            continue;
        }
        std::string logical(head);
        while (!logical.empty() && logical.back() == '\\' && i + 1 < Lines.size() &&
               !Lines[i + 1].empty() && IsBlank(Lines[i + 1].front())) {
            logical.pop_back();
            logical += TrimBlanks(Lines[++i]);
        }
        ParseValueLine(*key, logical, first, i);
    }
}

void TRegDocument::ParseValueLine(TKeyInfo& key, std::string_view line, size_t first, size_t last) {
    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
        rest = line.substr(1);
    } else {
        auto quoted = ParseQuoted(line, rest);
        if (!quoted) {
            return;
        }
        name = std::move(*quoted);
    }
    rest = TrimBlanks(rest);
    if (rest.empty() || rest.front() != '=') {
        return;
    }
    auto value = ParseData(rest.substr(1));
    if (!value) {
        return;
    }
    key.Values[LowerAscii(name)] = TValueInfo{std::move(*value), first, last};
    key.InsertAt = last + 1;
}

std::string TRegDocument::Text() const {
    std::string out;
    for (const std::string& line : Lines) {
        out += line;
        out += '\n';
    }
    return out;
}

const TRegDocument::TKeyInfo* TRegDocument::FindKey(std::string_view fullPath) const {
    auto it = Keys.find(CanonicalKeyPath(fullPath));
    return it == Keys.end() ? nullptr : &it->second;
}

bool TRegDocument::HasKey(std::string_view fullPath) const {
    const std::string canon = CanonicalKeyPath(fullPath);
    if (canon.empty()) {
        return false;
    }
    if (Keys.count(canon) > 0) {
        return true;
    }
    // An ancestor of a key with a section: the first key from "<path>\" on starts with it.
    const std::string prefix = canon + '\\';
    auto it = Keys.lower_bound(prefix);
    return it != Keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

const TRegValue* TRegDocument::FindValue(std::string_view fullPath, std::string_view name) const {
    const TKeyInfo* key = FindKey(fullPath);
    if (key == nullptr) {
        return nullptr;
    }
    auto it = key->Values.find(LowerAscii(name));
    return it == key->Values.end() ? nullptr : &it->second.Value;
}

void TRegDocument::AppendSection(const std::string& display) {
    if (Lines.empty()) {
        Lines.emplace_back("REGEDIT4");
    }
    if (!Lines.back().empty()) {
        Lines.emplace_back();
    }
    Lines.push_back("[" + display + "]");
}

bool TRegDocument::AddKey(std::string_view fullPath) {
    auto split = SplitKeyPath(fullPath);
    if (!split || !Writable(fullPath)) {
        return false;
    }
    if (Keys.count(LowerAscii(JoinKeyPath(split->first, split->second))) > 0) {
        return true;
    }
    AppendSection(JoinKeyPath(split->first, split->second));
    Parse(Text());
    return true;
}

bool TRegDocument::SetValue(std::string_view fullPath, std::string_view name,
                            const TRegValue& value) {
    if (!Writable(name) || !AddKey(fullPath)) {
        return false;
    }
    const TKeyInfo& key = Keys.at(CanonicalKeyPath(fullPath));
    std::string line = (name.empty() ? std::string("@") : Quote(name)) + "=" + RenderData(value);
    auto old = key.Values.find(LowerAscii(name));
    if (old != key.Values.end()) {
        auto first = Lines.begin() + static_cast<long>(old->second.FirstLine);
        auto last = Lines.begin() + static_cast<long>(old->second.LastLine) + 1;
        *first = std::move(line);
        Lines.erase(first + 1, last);
    } else {
        Lines.insert(Lines.begin() + static_cast<long>(key.InsertAt), std::move(line));
    }
    Parse(Text());
    return true;
}

} // namespace qvr
