#include "library/ValuesSeen.h"

#include "library/ParameterBlock.h"
#include "report/Utf8Text.h"

#include <algorithm>
#include <set>
#include <utility>

namespace qvr {

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
    TNamesSeen seen;
    TReadTransaction reading(db);
    TStatement names(db, "SELECT DISTINCT p.name FROM presets p JOIN files f ON f.id = p.file "
                         "WHERE f.model = ?");
    names.Bind(1, model);
    while (names.Step()) {
        // The library keeps names in UTF-8, made from the files' code page.
        const std::optional<std::string> name = Windows1252FromUtf8(names.Text(0));
        if (!name) {
            continue;
        }
        for (const char c : *name) {
            seen.Characters[static_cast<uint8_t>(c)] = true;
        }
        seen.Longest = std::max(seen.Longest, name->size());
        ++seen.Names;
    }
    return seen;
}

} // namespace qvr
