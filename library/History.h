#pragma once

#include "library/Copies.h"
#include "library/Query.h"
#include "report/PresetCompare.h"
#include "report/ProductConfigLookup.h" // TConfigSearch

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvr {

// One version of a preset in the library, and what changed from the version before.
struct TPresetVersion {
    TStoredPreset Preset;
    // From the version before (the comparison's changes, in chain order); none
    // for the first version and for one that is the same.
    std::vector<TChange> Changes;
    // False when the file no longer holds the preset as the library has it (it
    // changed or went since the last update): nothing was compared with it.
    bool Read = true;
};

// No preset of that number in that file of the library.
class ENoSuchPreset : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The versions of preset `number` of the file at `path` (its real path) across
// the library: every preset of its model with its number and name, or with its
// content (see Fingerprint.h), and those of theirs in turn; oldest file first,
// then by path and position. Each file is read once with the report's reader,
// and each version compared with the one before by ComparePresets. Throws
// ENoSuchPreset, and ELibraryDatabase when the library cannot be read.
std::vector<TPresetVersion> PresetHistory(TSqlite& db, const TConfigSearch& search,
                                          const std::string& path, int32_t number);

// The same for the preset at `position` (from 1) of the file, as a search lists it.
std::vector<TPresetVersion> PresetHistoryAt(TSqlite& db, const TConfigSearch& search,
                                            const std::string& path, int64_t position);

// The histories of the presets that `query` finds (see Search), each as PresetHistory gives
// it: one for every preset found that is no version of one listed before, in the order of
// the search (the newest files first). Throws EQueryError for a query Search refuses, and
// ELibraryDatabase when the library cannot be read.
std::vector<std::vector<TPresetVersion>> QueryHistories(TSqlite& db, const TConfigSearch& search,
                                                        const TQuery& query);

} // namespace qvr
