#include "library/SearchHits.h"

#include "base/Numbers.h"
#include "library/ParameterBlock.h"
#include "library/SearchFunctions.h"

#include <algorithm>
#include <charconv>
#include <tuple>
#include <unordered_map>

namespace qvr {

namespace {

using TModuleType = THitReader::TModuleType;

std::map<int64_t, TModuleType> ModuleTypes(TSqlite& db) {
    std::map<int64_t, TModuleType> types;
    TStatement all(db, "SELECT id, kind, type, ifnull(heading, '') FROM module_types");
    while (all.Step()) {
        types[all.Int(0)] = {std::string(all.Text(1)), std::string(all.Text(2)),
                             std::string(all.Text(3))};
    }
    return types;
}

// The module type ids of a chain as the chains table holds them: "[3,5,7]".
std::vector<int64_t> ChainTypes(std::string_view json) {
    std::vector<int64_t> ids;
    const char* at = json.data();
    const char* end = at + json.size();
    while (at != end) {
        int64_t id = 0;
        const auto [stop, error] = std::from_chars(at, end, id);
        if (error == std::errc()) {
            ids.push_back(id);
            at = stop;
        } else {
            ++at;
        }
    }
    return ids;
}

} // namespace

TConditionMatches::TConditionMatches(TSqlite& db, const std::vector<const TQueryTerm*>& terms)
    : Presets(terms.size()) {
    for (const TQueryTerm* term : terms) {
        std::vector<TSqlValue> values{int64_t{0}};
        const std::string names = ParameterNamesSql(term->Text, [&](std::string v) {
            values.push_back(std::move(v));
            return "?" + std::to_string(values.size());
        });
        auto blocks = std::make_unique<TStatement>(
            db, "SELECT n.name, b.first_preset, b.entries FROM parameter_names n "
                "JOIN parameters b ON b.name = n.id WHERE b.file = ?1 AND " +
                    names + " ORDER BY b.first_preset");
        Terms.push_back({term, std::move(blocks), std::move(values)});
    }
}

TConditionMatches::~TConditionMatches() = default;

bool TConditionMatches::Meets(size_t term, int64_t file, int64_t preset) {
    Select(file);
    return term < Presets.size() && Presets[term].contains(preset);
}

void TConditionMatches::Select(int64_t file) {
    if (file != File) {
        // Forgotten first: a failure must not leave another file's matches as this one's.
        File = -1;
        ReadFile(file);
        File = file;
    }
}

const std::vector<TConditionMatches::TFoundEntry>* TConditionMatches::Of(int64_t preset) const {
    const auto found = Found.find(preset);
    return found == Found.end() ? nullptr : &found->second;
}

void TConditionMatches::ReadFile(int64_t file) {
    Found.clear();
    for (size_t t = 0; t < Terms.size(); ++t) {
        TTerm& term = Terms[t];
        Presets[t].clear();
        term.Values[0] = file;
        BindValues(*term.Blocks, term.Values);
        while (term.Blocks->Step()) {
            const std::string name(term.Blocks->Text(0));
            TParameterBlockReader reader(term.Blocks->Int(1), term.Blocks->Text(2));
            TParameterEntry entry;
            while (reader.Next(entry)) {
                if (Holds(term.Term->Compare, term.Term->Number, term.Term->Value, entry)) {
                    Presets[t].insert(entry.Preset);
                    TFoundEntry& found = Found[entry.Preset].emplace_back();
                    found.Module = entry.Module;
                    found.Parameter = name;
                    found.Raw = entry.Raw;
                    if (entry.Number) {
                        found.Value = ShownNumber(*entry.Number);
                    }
                    found.Text = TextOf(entry);
                }
            }
        }
        term.Blocks->Reset();
    }
}

std::string MatchLabel(const TSearchMatch& match) {
    std::string label = !match.Heading.empty() ? match.Heading
                        : !match.Type.empty()  ? match.Type
                                               : match.Kind;
    if (!match.Parameter && !match.Type.empty() && match.Type != label) {
        label += " (" + match.Type + ")";
    }
    if (match.Parameter) {
        label += ": " + *match.Parameter + " = " + match.Text;
    }
    return label;
}

THitReader::THitReader(TSqlite& db, TConditionMatches& conditions, bool hasConditions,
                       const std::vector<std::string>& modules)
    : Wanted(modules), HasConditions(hasConditions), Conditions(conditions),
      ChainOf(db, "SELECT types FROM chains WHERE id = ?") {
    if (hasConditions || !modules.empty()) {
        Types = ModuleTypes(db);
    }
}

THitReader::~THitReader() = default;

TSearchHit THitReader::Read(const TStatement& row) {
    TSearchHit hit;
    const int64_t preset = row.Int(0);
    hit.Position = row.Int(1);
    if (!row.IsNull(2)) {
        hit.Number = static_cast<int32_t>(row.Int(2));
    }
    hit.Name = row.Text(3);
    hit.Path = row.Text(4);
    hit.Model = row.Text(5);
    hit.ModifiedNs = row.Int(6);
    if (Types.empty()) {
        return hit;
    }
    // Presets share chains: each is read once, and the modules the module terms find in it
    // are found once.
    if (row.IsNull(7)) {
        Chain = &NoChain;
        ChainId = -1;
    } else if (row.Int(7) != ChainId) {
        ChainId = row.Int(7);
        auto known = Chains.find(ChainId);
        if (known == Chains.end()) {
            ChainOf.Bind(1, ChainId);
            TChain chain;
            if (ChainOf.Step()) {
                chain.Types = ChainTypes(ChainOf.Text(0));
            }
            ChainOf.Reset();
            known = Chains.emplace(ChainId, std::move(chain)).first;
            Chain = &known->second;
            for (const std::string& wanted : Wanted) {
                for (size_t position = 0; position < Chain->Types.size(); ++position) {
                    const TModuleType& type = TypeOf(static_cast<int32_t>(position));
                    if (ModuleMatches(type.Type, type.Heading, wanted)) {
                        known->second.Modules.push_back(Module(static_cast<int32_t>(position)));
                    }
                }
            }
        }
        Chain = &known->second;
    }
    hit.Matches = Chain->Modules;
    if (HasConditions) {
        Conditions.Select(row.Int(8));
        if (const auto* found = Conditions.Of(preset)) {
            for (const auto& entry : *found) {
                TSearchMatch match = Module(entry.Module);
                match.Parameter = entry.Parameter;
                match.Raw = entry.Raw;
                match.Value = entry.Value;
                match.Text = entry.Text;
                hit.Matches.push_back(std::move(match));
            }
        }
    }
    // In chain order, each once.
    const auto key = [](const TSearchMatch& m) { return std::tie(m.Module, m.Parameter, m.Text); };
    std::stable_sort(hit.Matches.begin(), hit.Matches.end(),
                     [&](const TSearchMatch& a, const TSearchMatch& b) { return key(a) < key(b); });
    hit.Matches.erase(
        std::unique(hit.Matches.begin(), hit.Matches.end(),
                    [&](const TSearchMatch& a, const TSearchMatch& b) { return key(a) == key(b); }),
        hit.Matches.end());
    return hit;
}

const THitReader::TModuleType& THitReader::TypeOf(int32_t position) const {
    static const TModuleType unknown;
    if (position < 0 || static_cast<size_t>(position) >= Chain->Types.size()) {
        return unknown;
    }
    const auto type = Types.find(Chain->Types[static_cast<size_t>(position)]);
    return type == Types.end() ? unknown : type->second;
}

TSearchMatch THitReader::Module(int32_t position) const {
    const TModuleType& type = TypeOf(position);
    TSearchMatch match;
    match.Module = position;
    match.Kind = type.Kind;
    match.Type = type.Type;
    match.Heading = type.Heading;
    return match;
}

} // namespace qvr
