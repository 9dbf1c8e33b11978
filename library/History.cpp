#include "library/History.h"

#include "base/UserNotifier.h"
#include "report/PresetRecord.h"
#include "report/PresetReport.h"

#include <map>
#include <optional>

namespace qvr {

namespace {

// The files' messages were shown when they were indexed; reading them again says nothing.
class TQuietNotifier : public IUserNotifier {
public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
};

} // namespace

std::vector<TPresetVersion> PresetHistory(TSqlite& db, const TConfigSearch& search,
                                          const std::string& path, int32_t number) {
    std::vector<TPresetVersion> versions;
    {
        TReadTransaction reading(db);
        TStatement chosen(
            db, "SELECT p.name, p.fingerprint, coalesce(f.model, '') FROM presets p JOIN files f "
                "ON f.id = p.file WHERE f.path = ? AND p.number = ? "
                "ORDER BY p.position LIMIT 1");
        chosen.Bind(1, path).Bind(2, number);
        if (!chosen.Step()) {
            throw ENoSuchPreset("the library has no preset " + std::to_string(number) + " in " +
                                path);
        }
        const std::string name(chosen.Text(0));
        const std::optional<int64_t> fingerprint =
            chosen.IsNull(1) ? std::nullopt : std::optional(chosen.Int(1));
        const std::string model(chosen.Text(2));
        chosen.Reset();
        TStatement same(db, std::string(StoredPresetColumns) +
                                "WHERE ((p.number = ?1 AND p.name = ?2) OR p.fingerprint = ?3) "
                                "AND coalesce(f.model, '') = ?4" +
                                std::string(StoredPresetOrder));
        same.Bind(1, number).Bind(2, name).Bind(3, fingerprint).Bind(4, model);
        while (same.Step()) {
            versions.push_back(TPresetVersion{ReadStoredPreset(same), {}, false});
        }
    }
    // The records of the versions, each file read once.
    std::map<std::string, std::map<int64_t, std::optional<TPresetRecord>>> wanted;
    for (const TPresetVersion& version : versions) {
        wanted[version.Preset.Path][version.Preset.Position];
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
    return versions;
}

} // namespace qvr
