#include "library/Search.h"

#include "library/SearchFunctions.h"

#include <algorithm>
#include <charconv>
#include <map>
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

// The query as one statement: each term a condition on the preset (p) and its
// file (f), answered from an index; the parameter conditions also as tables of
// what they matched (c0, c1, ...), read once and joined to the presets listed.
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

    // The presets found with what they matched, one row per match (one row for
    // a preset without), in the order of the search.
    std::string Listing() const {
        std::string sql = With(true) +
                          "SELECT p.id, p.position, p.number, p.name, f.path, f.model, f.mtime, "
                          "c.types";
        sql += Conditions == 0 ? ", NULL, NULL, NULL, NULL, NULL"
                               : ", x.module, x.parameter, x.raw, x.number, x.text";
        sql += " FROM files f JOIN presets p ON p.file = f.id LEFT JOIN chains c ON c.id = p.chain";
        if (Conditions > 0) {
            sql += " LEFT JOIN found x ON x.preset = p.id";
        }
        return sql + " WHERE " + Filter + " ORDER BY f.mtime DESC, f.path, p.position, p.id";
    }

    std::string Count() const {
        return With(false) + "SELECT count(*) FROM files f JOIN presets p ON p.file = f.id WHERE " +
               Filter;
    }

    void Bind(TStatement& statement) const {
        for (size_t i = 0; i < Values.size(); ++i) {
            const int index = static_cast<int>(i + 1);
            if (const auto* text = std::get_if<std::string>(&Values[i])) {
                statement.Bind(index, std::string_view(*text));
            } else {
                statement.Bind(index, std::get<double>(Values[i]));
            }
        }
    }

    // Whether the presets' matches name modules (a module term or a condition).
    bool ShowsModules() const { return Conditions > 0 || !ModuleTerms.empty(); }
    const std::vector<std::string>& Modules() const { return ModuleTerms; }

private:
    std::string Value(std::variant<std::string, double> value) {
        Values.push_back(std::move(value));
        return "?" + std::to_string(Values.size());
    }

    std::string Condition(const TQueryTerm& term) {
        switch (term.Kind) {
        case TQueryTerm::TKind::Word: {
            const std::string words = Value(Phrase(term, true));
            return "(p.id IN (SELECT rowid FROM preset_words WHERE preset_words MATCH " + words +
                   ") OR p.chain IN (SELECT rowid FROM chain_words WHERE chain_words MATCH " +
                   words + "))";
        }
        case TQueryTerm::TKind::Model:
            return "f.model = " + Value(term.Text) + " COLLATE NOCASE";
        case TQueryTerm::TKind::Module:
            ModuleTerms.push_back(term.Text);
            // The words find the chains, the text the modules in them.
            return "p.chain IN (SELECT c.id FROM chain_words w JOIN chains c ON c.id = w.rowid, "
                   "json_each(c.types) m JOIN module_types t ON t.id = m.value "
                   "WHERE chain_words MATCH " +
                   Value(Phrase(term, false)) + " AND module_matches(t.type, t.heading, " +
                   Value(term.Text) + "))";
        default:
            return "p.id IN (SELECT preset FROM " + Matches(term) + ")";
        }
    }

    // The table of what a parameter condition matches; its name.
    std::string Matches(const TQueryTerm& term) {
        const std::string table = "c" + std::to_string(Conditions++);
        // The parameter of that name, with or without the unit in parentheses
        // that ends it ("Rate" is "Rate (Hz)").
        const std::string name = Value(term.Text);
        const std::string names =
            "(n.name = " + name +
            " COLLATE NOCASE OR (n.name COLLATE NOCASE >= " + Value(term.Text + " (") +
            " AND n.name COLLATE NOCASE < " + Value(term.Text + " )") +
            " AND n.name LIKE '%)' AND " + "instr(substr(n.name, length(" + name +
            ") + 3), ' (') = 0))";
        std::string holds;
        if (term.Compare == TCompare::Equal || term.Compare == TCompare::NotEqual) {
            const std::string text = "e.text = " + Value(term.Value) + " COLLATE NOCASE";
            holds = term.Number ? "CASE WHEN e.number IS NULL THEN " + text +
                                      " ELSE e.number = " + Value(*term.Number) + " END"
                                : text;
            if (term.Compare == TCompare::NotEqual) {
                holds = "NOT (" + holds + ")";
            }
        } else {
            static const std::map<TCompare, const char*> symbols{
                {TCompare::Less, " < "},
                {TCompare::LessOrEqual, " <= "},
                {TCompare::Greater, " > "},
                {TCompare::GreaterOrEqual, " >= "}};
            holds = "e.number" + std::string(symbols.at(term.Compare)) + Value(term.Number.value());
        }
        Tables += (Tables.empty() ? "" : ", ") + table +
                  "(preset, module, parameter, raw, number, text) AS MATERIALIZED ("
                  "SELECT e.preset, e.module, n.name, e.raw, e.number, e.text "
                  "FROM parameter_names n JOIN parameters b ON b.name = n.id, "
                  "parameter_entries(b.first_preset, b.entries) e WHERE " +
                  names + " AND " + holds + ")";
        return table;
    }

    // The tables of the conditions, and with `found` all they matched as one.
    std::string With(bool found) const {
        if (Conditions == 0) {
            return {};
        }
        std::string sql = "WITH " + Tables;
        if (found) {
            sql += ", found AS MATERIALIZED (";
            for (size_t i = 0; i < Conditions; ++i) {
                sql +=
                    (i == 0 ? "SELECT * FROM c" : " UNION ALL SELECT * FROM c") + std::to_string(i);
            }
            sql += ")";
        }
        return sql + " ";
    }

    std::string Filter;
    std::string Tables;
    size_t Conditions = 0;
    std::vector<std::string> ModuleTerms;
    std::vector<std::variant<std::string, double>> Values;
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

// Builds the hits from the listing's rows, one preset's rows after the other.
class THitReader {
public:
    THitReader(TSqlite& db, const TStatementText& sql) : Sql(sql) {
        if (sql.ShowsModules()) {
            Types = ModuleTypes(db);
        }
    }

    // Starts the hit of the row's preset.
    void Start(const TStatement& row, TSearchHit& hit) {
        hit = {};
        hit.Position = row.Int(1);
        if (!row.IsNull(2)) {
            hit.Number = static_cast<int32_t>(row.Int(2));
        }
        hit.Name = row.Text(3);
        hit.Path = row.Text(4);
        hit.Model = row.Text(5);
        hit.ModifiedNs = row.Int(6);
        Chain = row.IsNull(7) ? std::vector<int64_t>() : ChainTypes(row.Text(7));
        for (const std::string& wanted : Sql.Modules()) {
            for (size_t position = 0; position < Chain.size(); ++position) {
                const TModuleType& type = TypeOf(static_cast<int32_t>(position));
                if (ModuleMatches(type.Type, type.Heading, wanted)) {
                    hit.Matches.push_back(Module(static_cast<int32_t>(position)));
                }
            }
        }
    }

    // Adds the row's parameter match, when it has one.
    void Add(const TStatement& row, TSearchHit& hit) const {
        if (row.IsNull(8)) {
            return;
        }
        TSearchMatch match = Module(static_cast<int32_t>(row.Int(8)));
        match.Parameter = std::string(row.Text(9));
        if (!row.IsNull(10)) {
            match.Raw = row.Int(10);
        }
        if (!row.IsNull(11)) {
            match.Value = row.Real(11);
        }
        match.Text = row.Text(12);
        hit.Matches.push_back(std::move(match));
    }

    // The matches in chain order, each once.
    static void Finish(TSearchHit& hit) {
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
    std::map<int64_t, TModuleType> Types;
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
    THitReader reader(db, sql);
    size_t listed = 0;
    if (limits.Listed > 0) {
        TStatement rows(db, sql.Listing());
        sql.Bind(rows);
        TSearchHit hit;
        int64_t preset = 0;
        bool started = false;
        while (rows.Step()) {
            if (!started || rows.Int(0) != preset) {
                if (started) {
                    THitReader::Finish(hit);
                    found(std::move(hit));
                    if (++listed == limits.Listed) {
                        started = false;
                        break;
                    }
                }
                started = true;
                preset = rows.Int(0);
                reader.Start(rows, hit);
            }
            reader.Add(rows, hit);
        }
        if (started) {
            THitReader::Finish(hit);
            found(std::move(hit));
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
