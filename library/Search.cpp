#include "library/Search.h"

#include "library/SearchFunctions.h"
#include "library/SearchHits.h"

#include <algorithm>

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
               (matches ? "p.chain" : "NULL") +
               ", f.id FROM files f CROSS JOIN presets p ON p.file = f.id WHERE " + Filter +
               " ORDER BY f.mtime DESC, f.path, p.position, p.id";
    }

    // File by file too, as the conditions are read.
    std::string Count() const {
        return "SELECT count(*) FROM files f CROSS JOIN presets p ON p.file = f.id WHERE " + Filter;
    }

    void Bind(TStatement& statement, TConditionMatches& conditions) const {
        BindValues(statement, Values);
        if (ConditionsIndex != 0) {
            statement.BindPointer(ConditionsIndex, &conditions, PresetConditionsType);
        }
    }

    const std::vector<const TQueryTerm*>& Conditions() const { return ConditionTerms; }
    const std::vector<std::string>& Modules() const { return ModuleTerms; }

private:
    std::string Value(TSqlValue value) {
        Values.push_back(std::move(value));
        return std::string("?").append(std::to_string(Values.size()));
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
            // Answered file by file, from the blocks that also say what matched.
            if (ConditionsIndex == 0) {
                Value(int64_t{0});
                ConditionsIndex = static_cast<int>(Values.size());
            }
            ConditionTerms.push_back(&term);
            return "preset_meets(?" + std::to_string(ConditionsIndex) + ", " +
                   std::to_string(ConditionTerms.size() - 1) + ", f.id, p.id)";
        }
    }

    std::string Filter;
    std::vector<const TQueryTerm*> ConditionTerms;
    std::vector<std::string> ModuleTerms;
    std::vector<TSqlValue> Values;
    int ConditionsIndex = 0; // the placeholder of the conditions' matches, when there are any
};

} // namespace

size_t Search(TSqlite& db, const TQuery& query, const TSearchLimits& limits,
              const std::function<void(TSearchHit&&)>& found) {
    const TStatementText sql(query);
    RegisterSearchFunctions(db);
    TReadTransaction reading(db);
    TConditionMatches conditions(db, sql.Conditions());
    size_t listed = 0;
    if (limits.Listed > 0) {
        THitReader reader(db, conditions, !sql.Conditions().empty(), sql.Modules());
        TStatement rows(db, sql.Listing());
        sql.Bind(rows, conditions);
        while (listed < limits.Listed && rows.Step()) {
            found(reader.Read(rows));
            ++listed;
        }
    }
    if (!limits.CountAll) {
        return listed;
    }
    TStatement count(db, sql.Count());
    sql.Bind(count, conditions);
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
