#include "librarian/FileNames.h"

#include "report/Utf8Text.h"

#include <cstring>
#include <stdexcept>

namespace qvr {

namespace {

constexpr size_t MaxNameBytes = 200;
// A folder that has every suffix up to this one is not searched further.
constexpr int MaxSuffix = 9999;

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

std::string FreeFileName(const std::filesystem::path& folder, const std::string& stem,
                         std::string_view extension, std::set<std::string>& taken) {
    for (int n = 1; n <= MaxSuffix; ++n) {
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about "(" + std::string.
        std::string name = stem;
        if (n > 1) {
            name.append(" (").append(std::to_string(n)).append(")");
        }
        name.append(".").append(extension);
        std::error_code error;
        const bool exists = std::filesystem::symlink_status(folder / name, error).type() !=
                            std::filesystem::file_type::not_found;
        if (!exists && taken.insert(name).second) {
            return name;
        }
    }
    throw std::runtime_error("no free file name for '" + stem + "' in " + folder.string());
}

} // namespace qvr
