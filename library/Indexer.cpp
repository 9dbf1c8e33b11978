#include "library/Indexer.h"

#include "library/Fingerprint.h"
#include "library/ParameterBlock.h"
#include "report/JsonText.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace qvr {

namespace {

// Entries of one block: small enough that a file of any size is written in
// bounded memory, large enough that a backup's parameter of one name is one row.
constexpr size_t BlockEntries = 4096;

// A JSON text as it is gathered.
struct TJsonText {
    std::string Text;
    void Append(std::string_view part) { Text.append(part); }
    void Append(char c) { Text.push_back(c); }
};

// The distinct words of `texts`, blank-separated, for the word index.
std::string Joined(std::vector<std::string_view>& texts) {
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    std::string text;
    for (const std::string_view word : texts) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        text.append(word);
    }
    return text;
}

} // namespace

TIndexer::TIndexer(TSqlite& db)
    : Db(db), InsertFile(db, "INSERT INTO files(path, size, mtime, hash, configs, presets) "
                             "VALUES(?, ?, ?, ?, '', 0)"),
      FinishFile(db, "UPDATE files SET model = ?, presets = ?, configs = ? WHERE id = ?"),
      InsertMessages(db, "INSERT INTO file_messages(file, text) VALUES(?, ?)"),
      InsertPreset(db, "INSERT INTO presets(file, position, number, name, chain, user_models, "
                       "fingerprint) VALUES(?, ?, ?, ?, ?, ?, ?)"),
      InsertWords(db, "INSERT INTO preset_words(rowid, name, user_models) VALUES(?, ?, ?)"),
      FindChain(db, "SELECT id FROM chains WHERE types = ?"),
      InsertChain(db, "INSERT INTO chains(types) VALUES(?)"),
      InsertChainWords(db, "INSERT INTO chain_words(rowid, modules) VALUES(?, ?)"),
      InsertBlock(db, "INSERT INTO parameters(name, file, chunk, first_preset, entries) "
                      "VALUES(?, ?, ?, ?, ?)"),
      FindName(db, "SELECT id FROM parameter_names WHERE name = ?"),
      InsertName(db, "INSERT INTO parameter_names(name) VALUES(?)"),
      FindType(db, "SELECT id FROM module_types WHERE kind = ? AND type_id IS ? AND type = ? "
                   "AND heading IS ?"),
      InsertType(db, "INSERT INTO module_types(kind, type_id, type, heading) VALUES(?, ?, ?, ?)"),
      DeleteWords(db, "DELETE FROM preset_words WHERE rowid IN "
                      "(SELECT id FROM presets WHERE file = ?)"),
      DeleteBlocks(db, "DELETE FROM parameters WHERE file = ?"),
      // What only the file's presets use goes with them: parameter names, chains
      // with their words, and then the module types no chain has.
      DeleteNames(db, "DELETE FROM parameter_names WHERE id IN "
                      "(SELECT name FROM parameters WHERE file = ?1) AND NOT EXISTS "
                      "(SELECT 1 FROM parameters p WHERE p.name = parameter_names.id "
                      "AND p.file != ?1)"),
      DeleteChainWords(db, "DELETE FROM chain_words WHERE rowid IN "
                           "(SELECT chain FROM presets WHERE file = ?1) AND NOT EXISTS "
                           "(SELECT 1 FROM presets p WHERE p.chain = chain_words.rowid "
                           "AND p.file != ?1)"),
      DeleteChains(db, "DELETE FROM chains WHERE id IN "
                       "(SELECT chain FROM presets WHERE file = ?1) AND NOT EXISTS "
                       "(SELECT 1 FROM presets p WHERE p.chain = chains.id AND p.file != ?1)"),
      DeleteTypes(db, "DELETE FROM module_types WHERE id NOT IN "
                      "(SELECT m.value FROM chains c, json_each(c.types) m)"),
      DeleteMessages(db, "DELETE FROM file_messages WHERE file = ?"),
      DeletePresets(db, "DELETE FROM presets WHERE file = ?"),
      DeleteFile(db, "DELETE FROM files WHERE id = ?"),
      UpdateStamp(db, "UPDATE files SET size = ?, mtime = ? WHERE id = ?") {}

int64_t TIndexer::NameId(int32_t position, size_t index, const std::string& name) {
    // The same module position mostly has the same parameters from preset to preset.
    const auto slot = static_cast<size_t>(position) * MaxParameters + index;
    const bool cached = position >= 0 && position < 256 && index < MaxParameters;
    if (cached && slot < LastNames.size() && LastNames[slot].first == name) {
        return LastNames[slot].second;
    }
    const int64_t id = NameId(name);
    if (cached) {
        if (slot >= LastNames.size()) {
            LastNames.resize(slot + 1);
        }
        LastNames[slot] = {name, id};
    }
    return id;
}

int64_t TIndexer::NameId(const std::string& name) {
    if (const auto known = Names.find(name); known != Names.end()) {
        return known->second;
    }
    int64_t id = 0;
    FindName.Bind(1, name);
    if (FindName.Step()) {
        id = FindName.Int(0);
        FindName.Reset();
    } else {
        FindName.Reset();
        InsertName.Bind(1, name).Run();
        id = Db.LastInsertId();
    }
    Names.emplace(name, id);
    return id;
}

int64_t TIndexer::TypeId(const TLibModule& module) {
    const auto position = static_cast<size_t>(module.Position);
    if (position < LastTypes.size()) {
        const TLibModule& last = LastTypes[position].first;
        if (last.TypeId == module.TypeId && last.Type == module.Type &&
            last.Heading == module.Heading && last.Kind == module.Kind) {
            return LastTypes[position].second;
        }
    }
    const int64_t id = FindTypeId(module);
    if (position < 256) { // a chain is never longer; a file may say otherwise
        if (position >= LastTypes.size()) {
            LastTypes.resize(position + 1);
        }
        LastTypes[position] = {TLibModule{module.Position,
                                          module.Kind,
                                          module.TypeId,
                                          module.Type,
                                          module.Heading,
                                          std::nullopt,
                                          {}},
                               id};
    }
    return id;
}

int64_t TIndexer::FindTypeId(const TLibModule& module) {
    auto key = std::make_tuple(module.Kind, module.TypeId, module.Type, module.Heading);
    if (const auto known = Types.find(key); known != Types.end()) {
        return known->second;
    }
    int64_t id = 0;
    FindType.Bind(1, module.Kind).Bind(2, module.TypeId).Bind(3, module.Type);
    FindType.Bind(4, module.Heading);
    if (FindType.Step()) {
        id = FindType.Int(0);
        FindType.Reset();
    } else {
        FindType.Reset();
        InsertType.Bind(1, module.Kind).Bind(2, module.TypeId).Bind(3, module.Type);
        InsertType.Bind(4, module.Heading).Run();
        id = Db.LastInsertId();
    }
    Types.emplace(std::move(key), id);
    return id;
}

int64_t TIndexer::ChainId(const TLibPreset& preset) {
    ChainTypes.assign(1, '[');
    for (const TLibModule& module : preset.Modules) {
        if (ChainTypes.size() > 1) {
            ChainTypes.push_back(',');
        }
        char id[24];
        ChainTypes.append(id, std::to_chars(id, std::end(id), TypeId(module)).ptr);
    }
    ChainTypes.push_back(']');
    if (const auto known = Chains.find(ChainTypes); known != Chains.end()) {
        return known->second;
    }
    int64_t id = 0;
    FindChain.Bind(1, ChainTypes);
    if (FindChain.Step()) {
        id = FindChain.Int(0);
        FindChain.Reset();
    } else {
        FindChain.Reset();
        InsertChain.Bind(1, ChainTypes).Run();
        id = Db.LastInsertId();
        std::vector<std::string_view> words;
        for (const TLibModule& module : preset.Modules) {
            if (!module.Type.empty()) {
                words.push_back(module.Type);
            }
            if (module.Heading) {
                words.push_back(*module.Heading);
            }
        }
        InsertChainWords.Bind(1, id).Bind(2, Joined(words)).Run();
    }
    Chains.emplace(ChainTypes, id);
    return id;
}

void TIndexer::DropRows(int64_t fileId) {
    DeleteNames.Bind(1, fileId).Run();
    DeleteChainWords.Bind(1, fileId).Run();
    DeleteChains.Bind(1, fileId).Run();
    const bool chainsGone = Db.Changes() > 0;
    for (TStatement* statement :
         {&DeleteWords, &DeleteBlocks, &DeletePresets, &DeleteMessages, &DeleteFile}) {
        statement->Bind(1, fileId).Run();
    }
    if (chainsGone) {
        DeleteTypes.Run();
    }
}

std::vector<std::string> TIndexer::Store(const std::string& path, const TFileStamp& stamp,
                                         const std::string& hash, TPresetPipeline& presets) {
    TTransaction transaction(Db);
    // A name or type added by a transaction that was rolled back is not in the database.
    Names.clear();
    Types.clear();
    Chains.clear();
    LastTypes.clear();
    LastNames.clear();
    {
        TStatement old(Db, "SELECT id FROM files WHERE path = ?");
        old.Bind(1, path);
        if (old.Step()) {
            const int64_t id = old.Int(0);
            old.Reset();
            DropRows(id);
        }
    }
    InsertFile.Bind(1, path).Bind(2, stamp.Size).Bind(3, stamp.ModifiedNs).BindBlob(4, hash);
    InsertFile.Run();
    const int64_t fileId = Db.LastInsertId();

    struct TOpenBlock {
        TParameterBlockWriter Writer;
        int64_t Chunk;
    };
    std::map<int64_t, TOpenBlock> blocks; // by parameter name id
    const auto flush = [&](int64_t nameId, TOpenBlock& block) {
        InsertBlock.Bind(1, nameId).Bind(2, fileId).Bind(3, block.Chunk);
        InsertBlock.Bind(4, block.Writer.First()).BindBlob(5, block.Writer.Bytes()).Run();
    };

    int64_t position = 0;
    TLibPreset preset;
    std::vector<std::string_view> userModels;
    TJsonText userModelsByPosition;
    while (presets.Next(preset)) {
        ++position;
        userModels.clear();
        userModelsByPosition.Text.clear();
        for (const TLibModule& module : preset.Modules) {
            if (module.UserModelName) {
                userModels.push_back(*module.UserModelName);
                userModelsByPosition.Append(userModelsByPosition.Text.empty() ? "{\"" : ", \"");
                userModelsByPosition.Append(std::to_string(module.Position));
                userModelsByPosition.Append("\": ");
                AppendJsonText<true>(userModelsByPosition, *module.UserModelName);
            }
        }
        std::optional<std::string_view> userModelsJson;
        if (!userModelsByPosition.Text.empty()) {
            userModelsByPosition.Append('}');
            userModelsJson = userModelsByPosition.Text;
        }
        InsertPreset.Bind(1, fileId).Bind(2, position).Bind(3, preset.Number);
        InsertPreset.Bind(4, preset.Name).Bind(5, ChainId(preset)).Bind(6, userModelsJson);
        InsertPreset.Bind(7, PresetFingerprint(preset)).Run();
        const int64_t presetId = Db.LastInsertId();
        for (const TLibModule& module : preset.Modules) {
            for (size_t k = 0; k < module.Parameters.size(); ++k) {
                const TLibParameter& parameter = module.Parameters[k];
                const int64_t nameId = NameId(module.Position, k, parameter.Name);
                auto open = blocks.find(nameId);
                if (open == blocks.end()) {
                    open = blocks.emplace(nameId, TOpenBlock{TParameterBlockWriter(presetId), 0})
                               .first;
                }
                open->second.Writer.Add(TParameterEntry{presetId, module.Position, parameter.Raw,
                                                        parameter.Number, parameter.Text});
                if (open->second.Writer.Count() >= BlockEntries) {
                    flush(nameId, open->second);
                    open->second =
                        TOpenBlock{TParameterBlockWriter(presetId), open->second.Chunk + 1};
                }
            }
        }
        InsertWords.Bind(1, presetId).Bind(2, preset.Name).Bind(3, Joined(userModels)).Run();
    }
    TSourceResult result = presets.Result();
    for (auto& [nameId, block] : blocks) {
        if (block.Writer.Count() > 0) {
            flush(nameId, block);
        }
    }
    if (!result.Errors.empty()) {
        std::string messages;
        for (const std::string& message : result.Errors) {
            messages.append(message).push_back('\n');
        }
        InsertMessages.Bind(1, fileId).Bind(2, messages).Run();
    }
    FinishFile.Bind(1, result.Model.empty() ? std::nullopt : std::optional(result.Model));
    FinishFile.Bind(2, position).Bind(3, result.Configs).Bind(4, fileId).Run();
    transaction.Commit();
    return std::move(result.Errors);
}

void TIndexer::Drop(int64_t fileId) {
    TTransaction transaction(Db);
    DropRows(fileId);
    transaction.Commit();
}

void TIndexer::Restamp(int64_t fileId, const TFileStamp& stamp) {
    UpdateStamp.Bind(1, stamp.Size).Bind(2, stamp.ModifiedNs).Bind(3, fileId).Run();
}

} // namespace qvr
