#pragma once

#include "library/FileScan.h"
#include "library/PresetPipeline.h"
#include "library/Sqlite.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace qvr {

// Writes files into the library and takes them out, each in one transaction
// of its own: an interrupted run loses nothing that was finished before.
class TIndexer {
public:
    explicit TIndexer(TSqlite& db);

    // Replaces what the library held of the file by the presets that
    // `presets` gives for it next. Returns the messages shown while reading
    // it, which are recorded with it; a failure of the database throws and
    // leaves the library as it was.
    std::vector<std::string> Store(const std::string& path, const TFileStamp& stamp,
                                   const std::string& hash, TPresetPipeline& presets);
    // Takes the file with this id out of the library, and with it the names,
    // chains and module types that no other file uses.
    void Drop(int64_t fileId);
    // Records a new stamp for a file whose contents did not change.
    void Restamp(int64_t fileId, const TFileStamp& stamp);

private:
    void DropRows(int64_t fileId);
    int64_t NameId(const std::string& name);
    int64_t NameId(int32_t position, size_t index, const std::string& name);
    int64_t TypeId(const TLibModule& module);
    int64_t FindTypeId(const TLibModule& module);
    // The preset's chain of module types, added with its words when new.
    int64_t ChainId(const TLibPreset& preset);

    TSqlite& Db;
    TStatement InsertFile, FinishFile, InsertMessages, InsertPreset, InsertWords, FindChain,
        InsertChain, InsertChainWords, InsertBlock, FindName, InsertName, FindType, InsertType,
        DeleteWords, DeleteBlocks, DeleteNames, DeleteChainWords, DeleteChains, DeleteTypes,
        DeleteMessages, DeletePresets, DeleteFile, UpdateStamp;
    // Parameter names and module types met so far, by their ids; the type
    // last met at each chain position first, as the presets of a backup
    // mostly repeat their chain.
    std::unordered_map<std::string, int64_t> Names;
    std::vector<std::pair<TLibModule, int64_t>> LastTypes;
    static constexpr size_t MaxParameters = 32;             // of a module, for LastNames
    std::vector<std::pair<std::string, int64_t>> LastNames; // by position and parameter
    std::map<
        std::tuple<std::string, std::optional<int32_t>, std::string, std::optional<std::string>>,
        int64_t>
        Types;
    std::unordered_map<std::string, int64_t> Chains; // by their types
    std::string ChainTypes;                          // the one being looked up
};

} // namespace qvr
