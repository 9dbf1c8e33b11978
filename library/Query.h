#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// How a parameter condition compares.
enum class TCompare { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// One thing a preset must have.
struct TQueryTerm {
    enum class TKind {
        Word,      // a word (or "quoted words") of its name, module types and headings,
                   // user-model names; the last word may be the start of one
        Model,     // model:QVR-3
        Module,    // module:Chorus, a module type or heading
        Condition, // "Rate">5, "Amp Type"=Lead
    };
    TKind Kind = TKind::Word;
    std::string Text; // the word, model, module or parameter name
    TCompare Compare = TCompare::Equal;
    std::string Value;            // a condition's value as written
    std::optional<double> Number; // the same when it is a number
    size_t Offset = 0;            // where the term starts in the query
};

// Terms that must all hold; a query holds one or more of these, any of which
// may hold (OR).
using TQueryAll = std::vector<TQueryTerm>;

struct TQuery {
    std::vector<TQueryAll> Any;
};

// A query that cannot be read: the message, and the word it is about as a
// byte range of the query.
class EQueryError : public std::runtime_error {
public:
    EQueryError(const std::string& message, size_t offset, size_t length)
        : std::runtime_error(message), Offset(offset), Length(length) {}
    size_t Offset;
    size_t Length;
};

// The most terms a query may have, all groups together: far more than anyone
// types, few enough that a search stays quick.
inline constexpr size_t MaxQueryTerms = 256;

// Reads a search query: terms separated by blanks, all of which must hold,
// and OR between groups of them; at most MaxQueryTerms terms. A term is a word, "quoted words",
// model:NAME, module:NAME, or NAME OP VALUE with OP one of = != < <= > >=
// (NAME and VALUE quoted when they hold blanks). < <= > >= need a number.
// Throws EQueryError.
TQuery ParseQuery(std::string_view text);

} // namespace qvr
