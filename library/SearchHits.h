#pragma once

#include "library/Search.h"
#include "library/SearchFunctions.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qvr {

// What the conditions on parameters matched in one file at a time: for each preset, its
// entries that meet one, and for each condition the presets that meet it. The rows of a
// search come file by file, so each file's parameter blocks are read once, both to find
// its presets (preset_meets) and to say what matched in them.
class TConditionMatches : public IPresetConditions {
public:
    TConditionMatches(TSqlite& db, const std::vector<const TQueryTerm*>& terms);
    ~TConditionMatches() override;
    TConditionMatches(const TConditionMatches&) = delete;
    TConditionMatches& operator=(const TConditionMatches&) = delete;

    // Whether the preset meets condition `term` (in the order given), the file's matches
    // read first when they are another file's.
    bool Meets(size_t term, int64_t file, int64_t preset) override;
    // Reads the file's matches unless they are those read last.
    void Select(int64_t file);

    struct TFoundEntry {
        int32_t Module = 0;
        std::string Parameter;
        std::optional<int64_t> Raw;
        std::optional<double> Value;
        std::string Text;
    };
    // The entries of the preset (of the file selected) that meet a condition.
    const std::vector<TFoundEntry>* Of(int64_t preset) const;

private:
    void ReadFile(int64_t file);

    struct TTerm {
        const TQueryTerm* Term;
        std::unique_ptr<TStatement> Blocks;
        std::vector<TSqlValue> Values;
    };
    std::vector<TTerm> Terms;
    int64_t File = -1; // whose matches are read
    std::unordered_map<int64_t, std::vector<TFoundEntry>> Found;
    std::vector<std::unordered_set<int64_t>> Presets; // by term
};

// Builds the search's hits from the rows of its listing, whose columns are (0)
// presets.id, (1) position, (2) number, (3) name, (4) files.path, (5) model, (6)
// mtime, (7) presets.chain or null, (8) files.id, with what matched in each: the
// modules that the module terms name, and the parameter entries that meet the
// conditions, read once per file (rows come file by file). Lives within the
// search's read transaction.
class THitReader {
public:
    THitReader(TSqlite& db, TConditionMatches& conditions, bool hasConditions,
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
    TConditionMatches& Conditions;
    std::map<int64_t, TModuleType> Types;
    // The chains met so far, by their ids: presets share them, each is read once.
    struct TChain {
        std::vector<int64_t> Types;        // the module types, in chain order
        std::vector<TSearchMatch> Modules; // those the module terms find
    };
    TStatement ChainOf;
    std::unordered_map<int64_t, TChain> Chains;
    int64_t ChainId = -1;
    TChain NoChain;
    const TChain* Chain = &NoChain; // the row's chain, in Chains
};

} // namespace qvr
