#include "library/History.h"

#include "base/UserNotifier.h"
#include "library/Search.h"
#include "report/PresetRecord.h"
#include "report/PresetReport.h"

#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

namespace qvr {

namespace {

// The files' messages were shown when they were indexed; reading them again says nothing.
class TQuietNotifier : public IUserNotifier {
public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
};

// The versions of a preset, found with statements prepared once for all the presets of a run.
class TVersionFinder {
public:
    explicit TVersionFinder(TSqlite& db)
        : ByLabel(db, std::string(StoredPresetColumns) +
                          "WHERE p.name = ? AND p.number = ? AND coalesce(f.model, '') = ?"),
          ByContent(db, std::string(StoredPresetColumns) +
                            "WHERE p.fingerprint = ? AND coalesce(f.model, '') = ?") {}

    // The preset's versions are those of its number and name and those of its content, and
    // again those of theirs, until no new one comes: a preset copied under a new name and
    // changed there is still the same preset. Oldest file first, then by path and position.
    std::vector<TPresetVersion> VersionsOf(const TStoredPreset& first) {
        std::set<std::pair<int32_t, std::string>> labels;
        std::set<int64_t> contents;
        std::map<std::tuple<int64_t, std::string, int64_t>, TStoredPreset> found; // by time
        std::vector<TStoredPreset> pending{first};
        const auto take = [&](TStatement& rows) {
            while (rows.Step()) {
                TStoredPreset preset = ReadStoredPreset(rows);
                const auto key = std::make_tuple(preset.ModifiedNs, preset.Path, preset.Position);
                if (found.emplace(key, preset).second) {
                    pending.push_back(std::move(preset));
                }
            }
            rows.Reset();
        };
        found.emplace(std::make_tuple(first.ModifiedNs, first.Path, first.Position), first);
        while (!pending.empty()) {
            const TStoredPreset preset = std::move(pending.back());
            pending.pop_back();
            if (preset.Number && labels.emplace(*preset.Number, preset.Name).second) {
                ByLabel.Bind(1, preset.Name).Bind(2, *preset.Number).Bind(3, first.Model);
                take(ByLabel);
            }
            if (preset.Fingerprint && contents.insert(*preset.Fingerprint).second) {
                ByContent.Bind(1, *preset.Fingerprint).Bind(2, first.Model);
                take(ByContent);
            }
        }
        std::vector<TPresetVersion> versions;
        for (auto& [key, preset] : found) {
            versions.push_back(TPresetVersion{std::move(preset), {}, false});
        }
        return versions;
    }

private:
    TStatement ByLabel, ByContent;
};

// Reads the versions' records, each file once for all histories, and compares each version
// with the one before it in its history.
void CompareVersions(const TConfigSearch& search,
                     std::vector<std::vector<TPresetVersion>>& histories) {
    std::map<std::string, std::map<int64_t, std::optional<TPresetRecord>>> wanted;
    for (const std::vector<TPresetVersion>& versions : histories) {
        for (const TPresetVersion& version : versions) {
            wanted[version.Preset.Path][version.Preset.Position];
        }
    }
    TQuietNotifier quiet;
    for (auto& [file, records] : wanted) {
        TPresetReport report(quiet, search);
        int64_t position = 0;
        TPresetCollector collector([&](TPresetRecord&& record) {
            const auto slot = records.find(++position);
            if (slot != records.end()) {
                slot->second = std::move(record);
            }
        });
        // A file that cannot be read any more reads as an empty one: its versions are not read.
        report.Emit(file, collector, '.');
    }
    for (std::vector<TPresetVersion>& versions : histories) {
        const TPresetRecord* before = nullptr;
        for (TPresetVersion& version : versions) {
            const std::optional<TPresetRecord>& record =
                wanted[version.Preset.Path][version.Preset.Position];
            // The file must still hold the preset the library lists there.
            version.Read = record && record->Number == version.Preset.Number;
            if (!version.Read) {
                continue;
            }
            if (before != nullptr) {
                version.Changes = ComparePresets(*before, *record);
            }
            before = &*record;
        }
    }
}

} // namespace

namespace {

// The history of the first preset that `chosen` (bound) selects; ENoSuchPreset with `missing`
// when there is none.
std::vector<TPresetVersion> HistoryOfChosen(TSqlite& db, const TConfigSearch& search,
                                            TStatement& chosen, const std::string& missing) {
    std::vector<std::vector<TPresetVersion>> histories;
    {
        TReadTransaction reading(db);
        if (!chosen.Step()) {
            throw ENoSuchPreset(missing);
        }
        const TStoredPreset first = ReadStoredPreset(chosen);
        chosen.Reset();
        histories.push_back(TVersionFinder(db).VersionsOf(first));
    }
    CompareVersions(search, histories);
    return std::move(histories.front());
}

} // namespace

std::vector<TPresetVersion> PresetHistory(TSqlite& db, const TConfigSearch& search,
                                          const std::string& path, int32_t number) {
    TStatement chosen(db, std::string(StoredPresetColumns) +
                              "WHERE f.path = ? AND p.number = ? ORDER BY p.position LIMIT 1");
    chosen.Bind(1, path).Bind(2, number);
    return HistoryOfChosen(db, search, chosen,
                           "the library has no preset " + std::to_string(number) + " in " + path);
}

std::vector<TPresetVersion> PresetHistoryAt(TSqlite& db, const TConfigSearch& search,
                                            const std::string& path, int64_t position) {
    TStatement chosen(db, std::string(StoredPresetColumns) + "WHERE f.path = ? AND p.position = ?");
    chosen.Bind(1, path).Bind(2, position);
    return HistoryOfChosen(db, search, chosen,
                           "the library has no preset at place " + std::to_string(position) +
                               " of " + path);
}

std::vector<std::vector<TPresetVersion>> QueryHistories(TSqlite& db, const TConfigSearch& search,
                                                        const TQuery& query) {
    std::vector<std::pair<std::string, int64_t>> found; // path and position, in the search's order
    Search(db, query, {},
           [&found](TSearchHit&& hit) { found.emplace_back(std::move(hit.Path), hit.Position); });
    std::vector<std::vector<TPresetVersion>> histories;
    {
        TReadTransaction reading(db);
        TStatement preset(db,
                          std::string(StoredPresetColumns) + "WHERE f.path = ? AND p.position = ?");
        TVersionFinder finder(db);
        std::set<std::pair<std::string, int64_t>> listed; // versions of a history before
        for (const auto& [path, position] : found) {
            if (listed.contains({path, position})) {
                continue;
            }
            preset.Bind(1, path).Bind(2, position);
            if (!preset.Step()) {
                preset.Reset();
                continue; // gone since the search, by another program's update
            }
            const TStoredPreset first = ReadStoredPreset(preset);
            preset.Reset();
            std::vector<TPresetVersion> versions = finder.VersionsOf(first);
            for (const TPresetVersion& version : versions) {
                listed.emplace(version.Preset.Path, version.Preset.Position);
            }
            histories.push_back(std::move(versions));
        }
    }
    CompareVersions(search, histories);
    return histories;
}

} // namespace qvr
