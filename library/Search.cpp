#include "library/Search.h"

#include "library/ParameterBlock.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace qvr {

namespace {

// Where a condition or module term matched: the module, and the parameter's
// name and text for a condition.
struct TMatch {
    int32_t Module = 0;
    std::optional<std::string> Parameter;
    std::string Text;
};

// Presets (sorted ids) and what matched in each.
struct TFound {
    std::vector<int64_t> Ids;
    std::map<int64_t, std::vector<TMatch>> Matches;
};

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool Contains(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](char x, char y) { return Lower(x) == Lower(y); }) != text.end();
}

// A parameter named in a query is the parameter of that name, with or without
// the unit in parentheses that ends it ("Rate" is "Rate (Hz)").
bool NameMatches(std::string_view name, std::string_view wanted) {
    if (SameLetters(name, wanted)) {
        return true;
    }
    const size_t unit = name.rfind(" (");
    return unit != std::string_view::npos && name.ends_with(')') &&
           SameLetters(name.substr(0, unit), wanted);
}

// The term as an FTS5 string: one phrase, quotes doubled, the last word a prefix
// when asked.
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

bool Holds(const TQueryTerm& term, const TParameterEntry& entry) {
    const auto equal = [&] {
        if (term.Number && entry.Number) {
            return *term.Number == *entry.Number;
        }
        return SameLetters(entry.TextIsValue ? TextOf(entry) : entry.Text, term.Value);
    };
    if (term.Compare == TCompare::Equal) {
        return equal();
    }
    if (term.Compare == TCompare::NotEqual) {
        return !equal();
    }
    if (!entry.Number || !term.Number) {
        return false;
    }
    const double value = *entry.Number;
    const double limit = *term.Number;
    switch (term.Compare) {
    case TCompare::Less:
        return value < limit;
    case TCompare::LessOrEqual:
        return value <= limit;
    case TCompare::Greater:
        return value > limit;
    default:
        return value >= limit;
    }
}

class TSearcher {
public:
    explicit TSearcher(TSqlite& db) : Db(db) {}

    TFound Term(const TQueryTerm& term) {
        switch (term.Kind) {
        case TQueryTerm::TKind::Word:
            return Words(Phrase(term, true));
        case TQueryTerm::TKind::Module:
            return Modules(term);
        case TQueryTerm::TKind::Model:
            return Model(term.Text);
        default:
            return Condition(term);
        }
    }

private:
    // The presets whose name or user-model names, or whose modules' types or
    // headings, have the words.
    TFound Words(const std::string& match) {
        TFound found;
        TStatement words(Db, "SELECT rowid FROM preset_words WHERE preset_words MATCH ?1 UNION "
                             "SELECT p.id FROM chain_words w JOIN presets p ON p.chain = w.rowid "
                             "WHERE chain_words MATCH ?1 ORDER BY 1");
        words.Bind(1, match);
        while (words.Step()) {
            found.Ids.push_back(words.Int(0));
        }
        return found;
    }

    // The presets with a module of that type or heading, and those modules:
    // looked at once per chain.
    TFound Modules(const TQueryTerm& term) {
        TFound found;
        TStatement chains(Db, "SELECT rowid FROM chain_words WHERE chain_words MATCH ?");
        chains.Bind(1, Phrase(term, false));
        std::vector<int64_t> ids;
        while (chains.Step()) {
            ids.push_back(chains.Int(0));
        }
        TStatement modules(Db, "SELECT CAST(m.key AS INTEGER), t.type, t.heading "
                               "FROM chains c, json_each(c.types) m "
                               "JOIN module_types t ON t.id = m.value WHERE c.id = ?");
        TStatement presets(Db, "SELECT id FROM presets WHERE chain = ?");
        for (const int64_t chain : ids) {
            std::vector<TMatch> matches;
            modules.Bind(1, chain);
            while (modules.Step()) {
                if (Contains(modules.Text(1), term.Text) || Contains(modules.Text(2), term.Text)) {
                    matches.push_back(
                        TMatch{static_cast<int32_t>(modules.Int(0)), std::nullopt, {}});
                }
            }
            modules.Reset();
            presets.Bind(1, chain);
            while (presets.Step()) {
                found.Ids.push_back(presets.Int(0));
                found.Matches[presets.Int(0)] = matches;
            }
            presets.Reset();
        }
        std::sort(found.Ids.begin(), found.Ids.end());
        return found;
    }

    TFound Model(const std::string& model) {
        TFound found;
        TStatement presets(Db, "SELECT p.id FROM presets p JOIN files f ON f.id = p.file "
                               "WHERE f.model = ? COLLATE NOCASE ORDER BY p.id");
        presets.Bind(1, model);
        while (presets.Step()) {
            found.Ids.push_back(presets.Int(0));
        }
        return found;
    }

    TFound Condition(const TQueryTerm& term) {
        std::vector<std::pair<int64_t, std::string>> names;
        {
            TStatement all(Db, "SELECT id, name FROM parameter_names");
            while (all.Step()) {
                if (NameMatches(all.Text(1), term.Text)) {
                    names.emplace_back(all.Int(0), std::string(all.Text(1)));
                }
            }
        }
        TFound found;
        TStatement blocks(Db, "SELECT first_preset, entries FROM parameters WHERE name = ?");
        for (const auto& [id, name] : names) {
            blocks.Bind(1, id);
            while (blocks.Step()) {
                TParameterBlockReader reader(blocks.Int(0), blocks.Text(1));
                TParameterEntry entry;
                while (reader.Next(entry)) {
                    if (Holds(term, entry)) {
                        found.Ids.push_back(entry.Preset);
                        found.Matches[entry.Preset].push_back(
                            TMatch{entry.Module, name, TextOf(entry)});
                    }
                }
            }
            blocks.Reset();
        }
        std::sort(found.Ids.begin(), found.Ids.end());
        found.Ids.erase(std::unique(found.Ids.begin(), found.Ids.end()), found.Ids.end());
        return found;
    }

    TSqlite& Db;
};

void Keep(TFound& into, TFound&& from, const std::vector<int64_t>& ids) {
    for (const int64_t id : ids) {
        auto matches = from.Matches.find(id);
        if (matches != from.Matches.end()) {
            auto& list = into.Matches[id];
            std::move(matches->second.begin(), matches->second.end(), std::back_inserter(list));
        }
    }
}

TFound AllOf(TSearcher& searcher, const TQueryAll& terms) {
    TFound all = searcher.Term(terms.front());
    for (size_t i = 1; i < terms.size() && !all.Ids.empty(); ++i) {
        TFound next = searcher.Term(terms[i]);
        std::vector<int64_t> both;
        std::set_intersection(all.Ids.begin(), all.Ids.end(), next.Ids.begin(), next.Ids.end(),
                              std::back_inserter(both));
        std::erase_if(all.Matches, [&](const auto& entry) {
            return !std::binary_search(both.begin(), both.end(), entry.first);
        });
        Keep(all, std::move(next), both);
        all.Ids = std::move(both);
    }
    return all;
}

std::string Label(TStatement& module, int64_t preset, const TMatch& match) {
    module.Bind(1, preset).Bind(2, match.Module);
    std::string label;
    if (module.Step()) {
        const std::string kind(module.Text(0));
        const std::string type(module.Text(1));
        const std::string heading(module.Text(2));
        label = !heading.empty() ? heading : !type.empty() ? type : kind;
        if (!match.Parameter && !type.empty() && type != label) {
            label += " (" + type + ")";
        }
    }
    module.Reset();
    if (match.Parameter) {
        label += ": " + *match.Parameter + " = " + match.Text;
    }
    return label;
}

} // namespace

std::vector<TSearchHit> Search(TSqlite& db, const TQuery& query) {
    TSearcher searcher(db);
    TFound any;
    for (const TQueryAll& terms : query.Any) {
        TFound found = AllOf(searcher, terms);
        std::vector<int64_t> either;
        std::set_union(any.Ids.begin(), any.Ids.end(), found.Ids.begin(), found.Ids.end(),
                       std::back_inserter(either));
        Keep(any, std::move(found), found.Ids);
        any.Ids = std::move(either);
    }

    std::vector<TSearchHit> hits;
    hits.reserve(any.Ids.size());
    TStatement preset(db, "SELECT p.position, p.number, p.name, f.path, f.model, f.mtime "
                          "FROM presets p JOIN files f ON f.id = p.file WHERE p.id = ?");
    TStatement module(db, "SELECT t.kind, t.type, t.heading FROM presets p "
                          "JOIN chains c ON c.id = p.chain "
                          "JOIN module_types t ON t.id = json_extract(c.types, '$[' || ?2 || ']') "
                          "WHERE p.id = ?1");
    for (const int64_t id : any.Ids) {
        preset.Bind(1, id);
        if (!preset.Step()) {
            preset.Reset();
            continue;
        }
        TSearchHit hit;
        hit.Position = preset.Int(0);
        if (!preset.IsNull(1)) {
            hit.Number = static_cast<int32_t>(preset.Int(1));
        }
        hit.Name = preset.Text(2);
        hit.Path = preset.Text(3);
        hit.Model = preset.Text(4);
        hit.ModifiedNs = preset.Int(5);
        preset.Reset();
        if (const auto matches = any.Matches.find(id); matches != any.Matches.end()) {
            for (const TMatch& match : matches->second) {
                std::string label = Label(module, id, match);
                if (std::find(hit.Matches.begin(), hit.Matches.end(), label) == hit.Matches.end()) {
                    hit.Matches.push_back(std::move(label));
                }
            }
        }
        hits.push_back(std::move(hit));
    }
    std::sort(hits.begin(), hits.end(), [](const TSearchHit& a, const TSearchHit& b) {
        if (a.ModifiedNs != b.ModifiedNs) {
            return a.ModifiedNs > b.ModifiedNs;
        }
        if (a.Path != b.Path) {
            return a.Path < b.Path;
        }
        return a.Position < b.Position;
    });
    return hits;
}

} // namespace qvr
