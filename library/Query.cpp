#include "library/Query.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace qvr {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsOperatorStart(char c) {
    return c == '=' || c == '!' || c == '<' || c == '>';
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<double> NumberOf(std::string_view text) {
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

struct TOperator {
    std::string_view Symbol;
    TCompare Compare;
};
// Longer symbols first, so that "<=" is not read as "<".
constexpr std::array<TOperator, 6> Operators{{
    {"!=", TCompare::NotEqual},
    {"<=", TCompare::LessOrEqual},
    {">=", TCompare::GreaterOrEqual},
    {"=", TCompare::Equal},
    {"<", TCompare::Less},
    {">", TCompare::Greater},
}};

class TReader {
public:
    explicit TReader(std::string_view text) : Text(text) {}

    TQuery Read() {
        TQuery query;
        query.Any.emplace_back();
        size_t orAt = 0;
        size_t terms = 0;
        for (SkipBlanks(); At < Text.size(); SkipBlanks()) {
            const size_t start = At;
            if (IsWord("OR")) {
                if (query.Any.back().empty()) {
                    throw EQueryError("OR needs terms on both sides", start, 2);
                }
                query.Any.emplace_back();
                orAt = start;
                At += 2;
                continue;
            }
            if (IsWord("AND")) {
                At += 3;
                continue;
            }
            query.Any.back().push_back(Term());
            if (++terms > MaxQueryTerms) {
                throw EQueryError("a query may have at most " + std::to_string(MaxQueryTerms) +
                                      " terms",
                                  start, At - start);
            }
        }
        if (query.Any.back().empty()) {
            if (query.Any.size() > 1) {
                throw EQueryError("OR needs terms on both sides", orAt, 2);
            }
            throw EQueryError("the query is empty", 0, Text.size());
        }
        return query;
    }

private:
    void SkipBlanks() {
        while (At < Text.size() && IsBlank(Text[At])) {
            ++At;
        }
    }

    // The bare word `word` (exactly so spelled) stands at the reading position.
    bool IsWord(std::string_view word) const {
        const size_t end = At + word.size();
        return Text.substr(At, word.size()) == word && (end == Text.size() || IsBlank(Text[end]));
    }

    // A quoted text or a bare word; a bare word ends at a blank, a quote or,
    // when `name`, at a comparison or a colon.
    std::string Part(bool name, bool& quoted) {
        quoted = At < Text.size() && Text[At] == '"';
        if (quoted) {
            const size_t open = At++;
            const size_t close = Text.find('"', At);
            if (close == std::string_view::npos) {
                throw EQueryError("the quote is not closed", open, Text.size() - open);
            }
            At = close + 1;
            return std::string(Text.substr(open + 1, close - open - 1));
        }
        const size_t start = At;
        while (At < Text.size() && !IsBlank(Text[At]) && Text[At] != '"' &&
               !(name && (IsOperatorStart(Text[At]) || Text[At] == ':'))) {
            ++At;
        }
        return std::string(Text.substr(start, At - start));
    }

    std::optional<TCompare> Operator() {
        for (const TOperator& op : Operators) {
            if (Text.substr(At, op.Symbol.size()) == op.Symbol) {
                At += op.Symbol.size();
                return op.Compare;
            }
        }
        return std::nullopt;
    }

    TQueryTerm Term() {
        TQueryTerm term;
        term.Offset = At;
        bool quoted = false;
        term.Text = Part(true, quoted);
        if (!quoted && At < Text.size() && Text[At] == ':') {
            if (SameLetters(term.Text, "model")) {
                term.Kind = TQueryTerm::TKind::Model;
            } else if (SameLetters(term.Text, "module")) {
                term.Kind = TQueryTerm::TKind::Module;
            } else {
                throw EQueryError("unknown field '" + term.Text + ":' (model: or module:)",
                                  term.Offset, At + 1 - term.Offset);
            }
            ++At;
            const size_t valueAt = At;
            term.Text = Part(false, quoted);
            if (term.Text.empty()) {
                throw EQueryError("'" +
                                      std::string(Text.substr(term.Offset, valueAt - term.Offset)) +
                                      "' needs a name after the colon",
                                  term.Offset, valueAt - term.Offset);
            }
            return term;
        }
        // Blanks may stand around the comparison: "Rate > 5" is "Rate>5".
        const size_t nameEnd = At;
        if (!term.Text.empty() || quoted) {
            SkipBlanks();
            if (At == Text.size() || !IsOperatorStart(Text[At])) {
                At = nameEnd;
            }
        }
        const size_t operatorAt = At;
        const std::optional<TCompare> compare = Operator();
        if (!compare) {
            if (term.Text.empty()) { // an operator character that is not an operator
                throw EQueryError("'" + std::string(Text.substr(At, 1)) + "' is not a comparison",
                                  At, 1);
            }
            if (At < Text.size() && !IsBlank(Text[At]) && Text[At] != '"') {
                throw EQueryError("'" + std::string(Text.substr(At, 1)) + "' is not a comparison",
                                  At, 1);
            }
            return term; // a word
        }
        if (term.Text.empty()) {
            throw EQueryError("a comparison needs a parameter name before it", operatorAt,
                              At - operatorAt);
        }
        if (At < Text.size() && IsOperatorStart(Text[At])) { // "=>", "<<"
            size_t end = At;
            while (end < Text.size() && IsOperatorStart(Text[end])) {
                ++end;
            }
            throw EQueryError("'" + std::string(Text.substr(operatorAt, end - operatorAt)) +
                                  "' is not a comparison",
                              operatorAt, end - operatorAt);
        }
        term.Kind = TQueryTerm::TKind::Condition;
        term.Compare = *compare;
        const size_t operatorEnd = At;
        SkipBlanks();
        const size_t valueAt = At;
        term.Value = Part(false, quoted);
        if (term.Value.empty() && !quoted) {
            throw EQueryError("a comparison needs a value after '" +
                                  std::string(Text.substr(operatorAt, operatorEnd - operatorAt)) +
                                  "'",
                              term.Offset, At - term.Offset);
        }
        term.Number = NumberOf(term.Value);
        const bool ordered = *compare != TCompare::Equal && *compare != TCompare::NotEqual;
        if (ordered && !term.Number) {
            throw EQueryError("'" + term.Value + "' is not a number", valueAt, At - valueAt);
        }
        return term;
    }

    std::string_view Text;
    size_t At = 0;
};

} // namespace

TQuery ParseQuery(std::string_view text) {
    return TReader(text).Read();
}

} // namespace qvr
