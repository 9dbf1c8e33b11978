#pragma once

#include "library/Query.h"
#include "library/Sqlite.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What made a preset match: a module (for module:NAME), or a parameter of one
// (for a condition).
struct TSearchMatch {
    int32_t Module = 0;                   // the module's position in the chain, from 0
    std::string Kind;                     // input, amp, modifier, ...
    std::string Type;                     // its configuration type name
    std::string Heading;                  // as the report shows it; may be empty
    std::optional<std::string> Parameter; // none for a module match
    std::optional<int64_t> Raw;
    std::optional<double> Value; // the number shown, when the parameter shows one
    std::string Text;            // the parameter's text as shown
};

// "Modulation: Rate (Hz) = 6" for a parameter, "Modulation (Chorus)" for a module:
// its heading (else its type, else its kind), the type after it when it differs.
std::string MatchLabel(const TSearchMatch& match);

// A preset that a search found.
struct TSearchHit {
    std::string Path;
    std::string Model;             // empty when the file names none
    int64_t Position = 0;          // in the file, from 1
    std::optional<int32_t> Number; // none for a preset without one
    std::string Name;
    int64_t ModifiedNs = 0; // of the file
    // What made it match, for the module and parameter conditions, in chain order
    // and each once.
    std::vector<TSearchMatch> Matches;
};

struct TSearchLimits {
    size_t Listed = std::numeric_limits<size_t>::max(); // presets handed on at most
    bool CountAll = false;                              // also count those found beyond Listed
};

// Runs the query over the library in one read transaction and hands each preset
// found to `found` as it is read: those of the newest files first, then by
// path and by position in the file. Words are matched case-insensitively and
// the last one of each term as the start of a word; numbers are compared as the
// numbers shown. Returns how many presets were found: all of them when
// `limits.CountAll`, else those handed on. Throws EQueryError for a term with
// nothing to look for, ELibraryDatabase when the library cannot be read.
size_t Search(TSqlite& db, const TQuery& query, const TSearchLimits& limits,
              const std::function<void(TSearchHit&&)>& found);

// Every preset found, in the same order.
std::vector<TSearchHit> Search(TSqlite& db, const TQuery& query);

// How many presets the query finds, without reading them.
size_t CountFound(TSqlite& db, const TQuery& query);

} // namespace qvr
