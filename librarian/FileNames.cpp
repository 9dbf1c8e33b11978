#include "librarian/FileNames.h"

#include "report/Utf8Text.h"

#include <cstring>

namespace qvr {

namespace {

constexpr size_t MaxNameBytes = 200;

// Where a UTF-8 text may be cut at or before `at` without splitting a character.
size_t CharacterStart(std::string_view text, size_t at) {
    while (at > 0 && at < text.size() && (static_cast<uint8_t>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

} // namespace

std::string SafeFileName(std::string_view text) {
    TLineText utf8;
    AppendUtf8(utf8, text);
    std::string name;
    for (const char c : utf8.Text) {
        const auto byte = static_cast<uint8_t>(c);
        const bool unsafe = byte < 0x20 || byte == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
        name.push_back(unsafe ? '_' : c);
    }
    if (name.size() > MaxNameBytes) {
        name.resize(CharacterStart(name, MaxNameBytes));
    }
    const size_t first = name.find_first_not_of(". ");
    if (first == std::string::npos) {
        return {};
    }
    return name.substr(first, name.find_last_not_of(". ") + 1 - first);
}

TFreeNames::TFreeNames(std::set<std::string> taken) : Taken(std::move(taken)) {}

std::string TFreeNames::Next(const std::string& stem, std::string_view extension) {
    std::string key = stem;
    key.append(".").append(extension);
    unsigned& suffix = NextSuffix.try_emplace(std::move(key), 1).first->second;
    // Every suffix below `suffix` was given or taken before, and stays so.
    for (;; ++suffix) {
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about "(" + std::string.
        std::string name = stem;
        if (suffix > 1) {
            name.append(" (").append(std::to_string(suffix)).append(")");
        }
        name.append(".").append(extension);
        if (Taken.insert(name).second) {
            ++suffix;
            return name;
        }
    }
}

} // namespace qvr
