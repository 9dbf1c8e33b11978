#include "library/Copies.h"

#include <algorithm>
#include <map>
#include <utility>

namespace qvr {

TStoredPreset ReadStoredPreset(const TStatement& row) {
    TStoredPreset preset;
    preset.Path = row.Text(0);
    preset.Model = row.IsNull(1) ? std::string() : std::string(row.Text(1));
    preset.Position = row.Int(2);
    if (!row.IsNull(3)) {
        preset.Number = static_cast<int32_t>(row.Int(3));
    }
    preset.Name = row.Text(4);
    preset.ModifiedNs = row.Int(5);
    if (!row.IsNull(6)) {
        preset.Fingerprint = row.Int(6);
    }
    return preset;
}

std::vector<std::vector<TStoredPreset>> Duplicates(TSqlite& db) {
    TReadTransaction reading(db);
    TStatement rows(db, std::string(StoredPresetColumns) +
                            "WHERE (p.fingerprint, coalesce(f.model, '')) IN "
                            "(SELECT q.fingerprint, coalesce(g.model, '') FROM presets q "
                            "JOIN files g ON g.id = q.file WHERE q.fingerprint IS NOT NULL "
                            "GROUP BY 1, 2 HAVING COUNT(*) > 1)" +
                            std::string(StoredPresetOrder));
    // The rows come oldest first, so each group is made in the order of its first copy.
    std::vector<std::vector<TStoredPreset>> groups;
    std::map<std::pair<int64_t, std::string>, size_t> groupOf; // by content and model
    while (rows.Step()) {
        TStoredPreset preset = ReadStoredPreset(rows);
        const auto [at, added] =
            groupOf.emplace(std::pair(preset.Fingerprint.value_or(0), preset.Model), groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[at->second].push_back(std::move(preset));
    }
    return groups;
}

TCopyFinder::TCopyFinder(TSqlite& db)
    : Preset(db, std::string(StoredPresetColumns) + "WHERE f.path = ? AND p.position = ?"),
      Copies(db, std::string(StoredPresetColumns) +
                     "WHERE p.fingerprint = ? AND coalesce(f.model, '') = ?" +
                     std::string(StoredPresetOrder)) {}

std::vector<TStoredPreset> TCopyFinder::CopiesOf(const std::string& path, int64_t position) {
    Preset.Bind(1, path).Bind(2, position);
    if (!Preset.Step()) {
        Preset.Reset();
        return {};
    }
    TStoredPreset preset = ReadStoredPreset(Preset);
    Preset.Reset();
    if (!preset.Fingerprint) {
        return {std::move(preset)};
    }
    Copies.Bind(1, *preset.Fingerprint).Bind(2, preset.Model);
    std::vector<TStoredPreset> copies;
    while (Copies.Step()) {
        copies.push_back(ReadStoredPreset(Copies));
    }
    Copies.Reset();
    return copies;
}

} // namespace qvr
