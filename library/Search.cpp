#include "library/Search.h"

#include "base/Numbers.h"
#include "library/ParameterBlock.h"
#include "library/SearchFunctions.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <unordered_map>
#include <variant>

namespace qvr {

namespace {

// The term as an FTS5 string: one phrase, quotes doubled, the last word a prefix
// when asked. A term with nothing FTS5 reads as a word is refused rather than
// looked for: it would find nothing, or everything.
std::string Phrase(const TQueryTerm& term, bool prefix) {
    const bool hasWord = std::any_of(term.Text.begin(), term.Text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
    });
    if (!hasWord) {
        throw EQueryError("'" + term.Text + "' has no letters or digits to look for", term.Offset,
                          term.Text.size());
    }
    std::string phrase = "\"";
    for (const char c : term.Text) {
        phrase.push_back(c);
        if (c == '"') {
            phrase.push_back('"');
        }
    }
    phrase.push_back('"');
    if (prefix) {
        phrase.push_back('*');
    }
    return phrase;
}

// The parameters a condition names, as SQL over parameter_names n: the name given, with
// or without the unit in parentheses that ends it ("Rate" is "Rate (Hz)"), in any case.
// `value` adds a bound value and gives its placeholder.
template <class TValue> std::string NamesOf(const std::string& name, TValue&& value) {
    const std::string given = value(name);
    return "(n.name = " + given +
           " COLLATE NOCASE OR (n.name COLLATE NOCASE >= " + value(name + " (") +
           " AND n.name COLLATE NOCASE < " + value(name + " )") +
           " AND n.name LIKE '%)' AND instr(substr(n.name, length(" + given + ") + 3), ' (') = 0))";
}

// The query as one statement: each term a condition on the preset (p) and its file
// (f), answered from an index or, for a parameter condition, from the blocks of the
// parameters of that name.
class TStatementText {
public:
    explicit TStatementText(const TQuery& query) {
        for (const TQueryAll& all : query.Any) {
            std::string group;
            for (const TQueryTerm& term : all) {
                group += (group.empty() ? "(" : " AND ") + Condition(term);
            }
            Filter += (Filter.empty() ? "" : " OR ") + group + ")";
        }
    }

    // The presets found, in the order of the search: read file by file, newest first,
    // each preset looked up in the terms' lists (CROSS JOIN and the unary + keep that
    // order), so that the first presets come without sorting all that were found.
    std::string Listing() const {
        const bool matches = !ConditionTerms.empty() || !ModuleTerms.empty();
        return std::string(
                   "SELECT p.id, p.position, p.number, p.name, f.path, f.model, f.mtime, ") +
               (matches ? "c.types" : "NULL") +
               ", f.id FROM files f CROSS JOIN presets p ON p.file = f.id " +
               (matches ? "LEFT JOIN chains c ON c.id = p.chain " : "") + "WHERE " + Filter +
               " ORDER BY f.mtime DESC, f.path, p.position, p.id";
    }

    std::string Count() const {
        return "SELECT count(*) FROM files f JOIN presets p ON p.file = f.id WHERE " + Filter;
    }

    void Bind(TStatement& statement) const { BindAll(statement, Values); }

    const std::vector<const TQueryTerm*>& Conditions() const { return ConditionTerms; }
    const std::vector<std::string>& Modules() const { return ModuleTerms; }

    static void BindAll(TStatement& statement,
                        const std::vector<std::variant<std::string, double, int64_t>>& values) {
        for (size_t i = 0; i < values.size(); ++i) {
            const int index = static_cast<int>(i + 1);
            if (const auto* text = std::get_if<std::string>(&values[i])) {
                statement.Bind(index, std::string_view(*text));
            } else if (const auto* number = std::get_if<double>(&values[i])) {
                statement.Bind(index, *number);
            } else {
                statement.Bind(index, std::get<int64_t>(values[i]));
            }
        }
    }

private:
    std::string Value(std::variant<std::string, double, int64_t> value) {
        Values.push_back(std::move(value));
        return "?" + std::to_string(Values.size());
    }

    std::string Condition(const TQueryTerm& term) {
        switch (term.Kind) {
        case TQueryTerm::TKind::Word: {
            const std::string words = Value(Phrase(term, true));
            return "(+p.id IN (SELECT rowid FROM preset_words WHERE preset_words MATCH " + words +
                   ") OR +p.chain IN (SELECT rowid FROM chain_words WHERE chain_words MATCH " +
                   words + "))";
        }
        case TQueryTerm::TKind::Model:
            return "f.model = " + Value(term.Text) + " COLLATE NOCASE";
        case TQueryTerm::TKind::Module:
            ModuleTerms.push_back(term.Text);
            // The words find the chains, the text the modules in them.
            return "+p.chain IN (SELECT c.id FROM chain_words w JOIN chains c ON c.id = w.rowid, "
                   "json_each(c.types) m JOIN module_types t ON t.id = m.value "
                   "WHERE chain_words MATCH " +
                   Value(Phrase(term, false)) + " AND module_matches(t.type, t.heading, " +
                   Value(term.Text) + "))";
        default:
            ConditionTerms.push_back(&term);
            return "+p.id IN (SELECT e.preset FROM parameter_names n "
                   "JOIN parameters b ON b.name = n.id, parameter_presets(b.first_preset, "
                   "b.entries, " +
                   Value(static_cast<int64_t>(term.Compare)) + ", " +
                   (term.Number ? Value(*term.Number) : std::string("NULL")) + ", " +
                   Value(term.Value) + ") e WHERE " +
                   NamesOf(term.Text, [&](std::string v) { return Value(std::move(v)); }) + ")";
        }
    }

    std::string Filter;
    std::vector<const TQueryTerm*> ConditionTerms;
    std::vector<std::string> ModuleTerms;
    std::vector<std::variant<std::string, double, int64_t>> Values;
};

// A read transaction: every statement of a search sees the same library, and
// the database is locked and unlocked once.
class TReadTransaction {
public:
    explicit TReadTransaction(TSqlite& db) : Db(db) { Db.Exec("BEGIN"); }
    ~TReadTransaction() { sqlite3_exec(Db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr); }
    TReadTransaction(const TReadTransaction&) = delete;
    TReadTransaction& operator=(const TReadTransaction&) = delete;

private:
    TSqlite& Db;
};

struct TModuleType {
    std::string Kind;
    std::string Type;
    std::string Heading;
};

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

// What the conditions matched in one file: for each preset, its entries that meet one.
class TConditionMatches {
public:
    TConditionMatches(TSqlite& db, const std::vector<const TQueryTerm*>& terms) {
        for (const TQueryTerm* term : terms) {
            std::vector<std::variant<std::string, double, int64_t>> values{int64_t{0}};
            const std::string names = NamesOf(term->Text, [&](std::string v) {
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
            TStatementText::BindAll(*term.Blocks, term.Values);
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
        std::vector<std::variant<std::string, double, int64_t>> Values;
    };
    std::vector<TTerm> Terms;
    std::unordered_map<int64_t, std::vector<TFoundEntry>> Found;
};

// Builds the hits from the listing's rows, with what matched in each.
class THitReader {
public:
    THitReader(TSqlite& db, const TStatementText& sql)
        : Sql(sql), Conditions(db, sql.Conditions()) {
        if (!sql.Conditions().empty() || !sql.Modules().empty()) {
            Types = ModuleTypes(db);
        }
    }

    TSearchHit Read(const TStatement& row) {
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
        for (const std::string& wanted : Sql.Modules()) {
            for (size_t position = 0; position < Chain.size(); ++position) {
                const TModuleType& type = TypeOf(static_cast<int32_t>(position));
                if (ModuleMatches(type.Type, type.Heading, wanted)) {
                    hit.Matches.push_back(Module(static_cast<int32_t>(position)));
                }
            }
        }
        if (!Sql.Conditions().empty()) {
            if (row.Int(8) != File) {
                File = row.Int(8);
                Conditions.ReadFile(File);
            }
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
        const auto key = [](const TSearchMatch& m) {
            return std::tie(m.Module, m.Parameter, m.Text);
        };
        std::stable_sort(
            hit.Matches.begin(), hit.Matches.end(),
            [&](const TSearchMatch& a, const TSearchMatch& b) { return key(a) < key(b); });
        hit.Matches.erase(std::unique(hit.Matches.begin(), hit.Matches.end(),
                                      [&](const TSearchMatch& a, const TSearchMatch& b) {
                                          return key(a) == key(b);
                                      }),
                          hit.Matches.end());
        return hit;
    }

private:
    const TModuleType& TypeOf(int32_t position) const {
        static const TModuleType unknown;
        if (position < 0 || static_cast<size_t>(position) >= Chain.size()) {
            return unknown;
        }
        const auto type = Types.find(Chain[static_cast<size_t>(position)]);
        return type == Types.end() ? unknown : type->second;
    }

    TSearchMatch Module(int32_t position) const {
        const TModuleType& type = TypeOf(position);
        TSearchMatch match;
        match.Module = position;
        match.Kind = type.Kind;
        match.Type = type.Type;
        match.Heading = type.Heading;
        return match;
    }

    const TStatementText& Sql;
    TConditionMatches Conditions;
    int64_t File = -1;
    std::map<int64_t, TModuleType> Types;
    std::string ChainText; // as the chains table holds it
    std::vector<int64_t> Chain;
};

} // namespace

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

size_t Search(TSqlite& db, const TQuery& query, const TSearchLimits& limits,
              const std::function<void(TSearchHit&&)>& found) {
    const TStatementText sql(query);
    RegisterSearchFunctions(db);
    TReadTransaction reading(db);
    size_t listed = 0;
    if (limits.Listed > 0) {
        THitReader reader(db, sql);
        TStatement rows(db, sql.Listing());
        sql.Bind(rows);
        while (listed < limits.Listed && rows.Step()) {
            found(reader.Read(rows));
            ++listed;
        }
    }
    if (!limits.CountAll) {
        return listed;
    }
    TStatement count(db, sql.Count());
    sql.Bind(count);
    count.Step();
    return static_cast<size_t>(count.Int(0));
}

std::vector<TSearchHit> Search(TSqlite& db, const TQuery& query) {
    std::vector<TSearchHit> hits;
    Search(db, query, {}, [&](TSearchHit&& hit) { hits.push_back(std::move(hit)); });
    return hits;
}

size_t CountFound(TSqlite& db, const TQuery& query) {
    return Search(db, query, {.Listed = 0, .CountAll = true}, [](TSearchHit&&) {});
}

} // namespace qvr
