#pragma once

#include "library/Query.h"
#include "library/Sqlite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// A preset that a search found.
struct TSearchHit {
    std::string Path;
    std::string Model;             // empty when the file names none
    int64_t Position = 0;          // in the file, from 1
    std::optional<int32_t> Number; // none for a preset without one
    std::string Name;
    int64_t ModifiedNs = 0; // of the file
    // What made it match, for the module and parameter conditions:
    // "Modulation: Rate (Hz) = 6", "Modulation (Chorus)".
    std::vector<std::string> Matches;
};

// Runs the query over the library: the presets that meet it, those of the
// newest files first, then by path and by position in the file. Words are
// matched case-insensitively and the last one of each term as the start of a
// word; numbers are compared as numbers.
std::vector<TSearchHit> Search(TSqlite& db, const TQuery& query);

} // namespace qvr
