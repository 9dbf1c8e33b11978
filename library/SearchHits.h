#pragma once

#include "library/Search.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qvr {

class TConditionMatches;

// Builds the search's hits from the rows of its listing, whose columns are (0)
// presets.id, (1) position, (2) number, (3) name, (4) files.path, (5) model, (6)
// mtime, (7) chains.types or null, (8) files.id, with what matched in each: the
// modules that the module terms name, and the parameter entries that meet the
// conditions, read once per file (rows come file by file). Lives within the
// search's read transaction.
class THitReader {
public:
    THitReader(TSqlite& db, const std::vector<const TQueryTerm*>& conditions,
               const std::vector<std::string>& modules);
    ~THitReader();
    THitReader(const THitReader&) = delete;
    THitReader& operator=(const THitReader&) = delete;

    TSearchHit Read(const TStatement& row);

    struct TModuleType {
        std::string Kind;
        std::string Type;
        std::string Heading;
    };

private:
    const TModuleType& TypeOf(int32_t position) const;
    TSearchMatch Module(int32_t position) const;

    std::vector<std::string> Wanted; // the module terms' texts
    bool HasConditions;
    std::unique_ptr<TConditionMatches> Conditions;
    int64_t File = -1; // whose conditions' matches are read
    std::map<int64_t, TModuleType> Types;
    std::string ChainText; // as the chains table holds it
    std::vector<int64_t> Chain;
};

} // namespace qvr
