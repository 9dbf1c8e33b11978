#include "library/ValuesSeen.h"

#include "library/ParameterBlock.h"
#include "report/Utf8Text.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <utility>

namespace qvr {

namespace {

// The next code point of UTF-8 `text` from `at`, which moves past it; a broken sequence reads
// as its first byte.
uint32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto lead = static_cast<uint8_t>(text[at++]);
    size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (more == 0 || at + more > text.size()) {
        return lead;
    }
    uint32_t code = lead & (0x3Fu >> more);
    for (size_t i = 0; i < more; ++i) {
        const auto next = static_cast<uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return lead;
        }
        code = code << 6 | (next & 0x3Fu);
    }
    at += more;
    return code;
}

} // namespace

std::vector<int64_t> ParameterValuesSeen(TSqlite& db, const TSeenModule& module,
                                         std::string_view parameter) {
    TReadTransaction reading(db);
    // The modules of that kind, by preset and position.
    std::set<std::pair<int64_t, int64_t>> modules;
    TStatement places(db, "SELECT m.preset, m.position FROM module_types t "
                          "JOIN modules m ON m.type = t.id "
                          "JOIN presets p ON p.id = m.preset JOIN files f ON f.id = p.file "
                          "WHERE t.kind = ? AND t.type_id IS ? AND t.type = ? AND t.heading IS ? "
                          "AND f.model = ?");
    places.Bind(1, module.Kind).Bind(2, module.TypeId).Bind(3, module.Type);
    places.Bind(4, module.Heading).Bind(5, module.Model);
    while (places.Step()) {
        modules.emplace(places.Int(0), places.Int(1));
    }
    std::set<int64_t> seen;
    if (modules.empty()) {
        return {};
    }
    TStatement blocks(db, "SELECT b.first_preset, b.entries FROM parameter_names n "
                          "JOIN parameters b ON b.name = n.id JOIN files f ON f.id = b.file "
                          "WHERE n.name = ? AND f.model = ?");
    blocks.Bind(1, parameter).Bind(2, module.Model);
    while (blocks.Step()) {
        TParameterBlockReader reader(blocks.Int(0), blocks.Text(1));
        TParameterEntry entry;
        while (reader.Next(entry)) {
            if (entry.Raw && modules.count({entry.Preset, entry.Module}) > 0) {
                seen.insert(*entry.Raw);
            }
        }
    }
    return {seen.begin(), seen.end()};
}

TNamesSeen PresetNamesSeen(TSqlite& db, std::string_view model) {
    // The code page's byte of each code point it has.
    std::map<uint32_t, uint8_t> bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.emplace(Windows1252CodePoint(static_cast<uint8_t>(b)), static_cast<uint8_t>(b));
    }
    TNamesSeen seen;
    TReadTransaction reading(db);
    TStatement names(db, "SELECT DISTINCT p.name FROM presets p JOIN files f ON f.id = p.file "
                         "WHERE f.model = ?");
    names.Bind(1, model);
    while (names.Step()) {
        const std::string_view name = names.Text(0);
        size_t length = 0;
        for (size_t at = 0; at < name.size(); ++length) {
            const auto byte = bytes.find(NextCodePoint(name, at));
            if (byte != bytes.end()) {
                seen.Characters[byte->second] = true;
            }
        }
        seen.Longest = std::max(seen.Longest, length);
        ++seen.Names;
    }
    return seen;
}

} // namespace qvr
