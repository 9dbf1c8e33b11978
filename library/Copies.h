#pragma once

#include "library/Sqlite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// A preset of the library, where it is kept and what it is.
struct TStoredPreset {
    std::string Path;
    std::string Model;             // empty when the file names none
    int64_t Position = 0;          // in the file, from 1
    std::optional<int32_t> Number; // none for a preset without one
    std::string Name;
    int64_t ModifiedNs = 0;             // of the file
    std::optional<int64_t> Fingerprint; // see Fingerprint.h; none until read again
};

// The start of a statement that selects presets as ReadStoredPreset reads them
// (presets p, files f), and the order of Duplicates.
inline constexpr std::string_view StoredPresetColumns =
    "SELECT f.path, f.model, p.position, p.number, p.name, f.mtime, p.fingerprint "
    "FROM presets p JOIN files f ON f.id = p.file ";
inline constexpr std::string_view StoredPresetOrder = " ORDER BY f.mtime, f.path, p.position";

// The preset of the statement's row.
TStoredPreset ReadStoredPreset(const TStatement& row);

// The presets kept more than once: each group the copies of one content on
// one model (whatever their names and numbers), oldest file first, then by path and
// position; the groups in the order of their first copies. Presets read before
// the library kept fingerprints (until the next update) are in none.
std::vector<std::vector<TStoredPreset>> Duplicates(TSqlite& db);

// The copies of presets, looked up one preset after another with statements
// prepared once.
class TCopyFinder {
public:
    explicit TCopyFinder(TSqlite& db);
    // The presets with the same content on the same model as the preset at
    // `position` (from 1) of the file at `path`, itself included, in the order
    // of Duplicates; the preset alone when it has no fingerprint yet, none when
    // the library keeps no such preset.
    std::vector<TStoredPreset> CopiesOf(const std::string& path, int64_t position);

private:
    TStatement Preset, Copies;
};

} // namespace qvr
