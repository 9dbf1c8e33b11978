#include "library/Copies.h"

#include <algorithm>
#include <unordered_map>

namespace qvr {

namespace {

// The columns of a TStoredPreset, in the order Read takes them.
constexpr std::string_view Columns =
    "SELECT f.path, f.model, p.position, p.number, p.name, f.mtime, p.fingerprint "
    "FROM presets p JOIN files f ON f.id = p.file ";
constexpr std::string_view Order = " ORDER BY f.mtime, f.path, p.position";

TStoredPreset Read(const TStatement& row) {
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

} // namespace

std::vector<std::vector<TStoredPreset>> Duplicates(TSqlite& db) {
    TReadTransaction reading(db);
    TStatement rows(db, std::string(Columns) +
                            "WHERE p.fingerprint IN (SELECT fingerprint FROM presets "
                            "WHERE fingerprint IS NOT NULL GROUP BY fingerprint "
                            "HAVING COUNT(*) > 1)" +
                            std::string(Order));
    // The rows come oldest first, so each group is made in the order of its first copy.
    std::vector<std::vector<TStoredPreset>> groups;
    std::unordered_map<int64_t, size_t> groupOf;
    while (rows.Step()) {
        TStoredPreset preset = Read(rows);
        const auto [at, added] = groupOf.emplace(preset.Fingerprint.value_or(0), groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[at->second].push_back(std::move(preset));
    }
    return groups;
}

std::optional<TStoredPreset> StoredPreset(TSqlite& db, const std::string& path, int64_t position) {
    TStatement row(db, std::string(Columns) + "WHERE f.path = ? AND p.position = ?");
    row.Bind(1, path).Bind(2, position);
    if (!row.Step()) {
        return std::nullopt;
    }
    return Read(row);
}

std::vector<TStoredPreset> CopiesOf(TSqlite& db, int64_t fingerprint) {
    TStatement rows(db, std::string(Columns) + "WHERE p.fingerprint = ?" + std::string(Order));
    rows.Bind(1, fingerprint);
    std::vector<TStoredPreset> copies;
    while (rows.Step()) {
        copies.push_back(Read(rows));
    }
    return copies;
}

} // namespace qvr
