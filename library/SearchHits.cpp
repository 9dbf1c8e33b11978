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

// What the conditions matched in one file: for each preset, its entries that meet one.
class TConditionMatches {
public:
    TConditionMatches(TSqlite& db, const std::vector<const TQueryTerm*>& terms) {
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

    // The matches of every preset of the file.
    void ReadFile(int64_t file) {
        Found.clear();
        for (TTerm& term : Terms) {
            term.Values[0] = file;
            BindValues(*term.Blocks, term.Values);
            while (term.Blocks->Step()) {
                const std::string name(term.Blocks->Text(0));
                TParameterBlockReader reader(term.Blocks->Int(1), term.Blocks->Text(2));
                TParameterEntry entry;
                while (reader.Next(entry)) {
                    if (Holds(term.Term->Compare, term.Term->Number, term.Term->Value, entry)) {
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

    struct TFoundEntry {
        int32_t Module = 0;
        std::string Parameter;
        std::optional<int64_t> Raw;
        std::optional<double> Value;
        std::string Text;
    };
    const std::vector<TFoundEntry>* Of(int64_t preset) const {
        const auto found = Found.find(preset);
        return found == Found.end() ? nullptr : &found->second;
    }

private:
    struct TTerm {
        const TQueryTerm* Term;
        std::unique_ptr<TStatement> Blocks;
        std::vector<TSqlValue> Values;
    };
    std::vector<TTerm> Terms;
    std::unordered_map<int64_t, std::vector<TFoundEntry>> Found;
};

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

THitReader::THitReader(TSqlite& db, const std::vector<const TQueryTerm*>& conditions,
                       const std::vector<std::string>& modules)
    : Wanted(modules), HasConditions(!conditions.empty()),
      Conditions(std::make_unique<TConditionMatches>(db, conditions)) {
    if (!conditions.empty() || !modules.empty()) {
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
    // Presets share chains: each is read once.
    if (row.IsNull(7)) {
        Chain.clear();
    } else if (row.Text(7) != ChainText) {
        ChainText = row.Text(7);
        Chain = ChainTypes(ChainText);
    }
    for (const std::string& wanted : Wanted) {
        for (size_t position = 0; position < Chain.size(); ++position) {
            const TModuleType& type = TypeOf(static_cast<int32_t>(position));
            if (ModuleMatches(type.Type, type.Heading, wanted)) {
                hit.Matches.push_back(Module(static_cast<int32_t>(position)));
            }
        }
    }
    if (HasConditions) {
        if (row.Int(8) != File) {
            File = row.Int(8);
            Conditions->ReadFile(File);
        }
        if (const auto* found = Conditions->Of(preset)) {
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
    if (position < 0 || static_cast<size_t>(position) >= Chain.size()) {
        return unknown;
    }
    const auto type = Types.find(Chain[static_cast<size_t>(position)]);
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
