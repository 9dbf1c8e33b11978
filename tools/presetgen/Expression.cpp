#include "tools/presetgen/Expression.h"

#include "tools/presetgen/DescriptionError.h"

#include <cctype>

namespace qvr {

namespace {

// Recursive descent over one expression; the values stay in 64 bits so
// that sums of byte-sized loop values never overflow in practice.
class TParser {
public:
    TParser(std::string_view text, const TVariables& vars) : Text(text), Vars(vars) {}

    int64_t Parse() {
        const int64_t v = Sum();
        SkipBlanks();
        if (Pos != Text.size()) {
            throw EDescriptionError("unexpected '" + std::string(1, Text[Pos]) +
                                    "' in expression '" + std::string(Text) + "'");
        }
        return v;
    }

private:
    std::string_view Text;
    const TVariables& Vars;
    size_t Pos = 0;

    void SkipBlanks() {
        while (Pos < Text.size() && (Text[Pos] == ' ' || Text[Pos] == '\t')) {
            ++Pos;
        }
    }

    bool Accept(char c) {
        SkipBlanks();
        if (Pos < Text.size() && Text[Pos] == c) {
            ++Pos;
            return true;
        }
        return false;
    }

    int64_t Sum() {
        int64_t v = Product();
        for (;;) {
            if (Accept('+')) {
                v += Product();
            } else if (Accept('-')) {
                v -= Product();
            } else {
                return v;
            }
        }
    }

    int64_t Product() {
        int64_t v = Unary();
        for (;;) {
            const bool mul = Accept('*');
            const bool div = !mul && Accept('/');
            const bool mod = !mul && !div && Accept('%');
            if (!mul && !div && !mod) {
                return v;
            }
            const int64_t r = Unary();
            if (mul) {
                v *= r;
            } else if (r == 0) {
                throw EDescriptionError("division by zero in expression '" + std::string(Text) +
                                        "'");
            } else {
                v = div ? v / r : v % r;
            }
        }
    }

    int64_t Unary() {
        if (Accept('-')) {
            return -Unary();
        }
        return Primary();
    }

    int64_t Primary() {
        if (Accept('(')) {
            const int64_t v = Sum();
            if (!Accept(')')) {
                throw EDescriptionError("missing ')' in expression '" + std::string(Text) + "'");
            }
            return v;
        }
        SkipBlanks();
        const size_t start = Pos;
        while (Pos < Text.size() &&
               (std::isalnum(static_cast<unsigned char>(Text[Pos])) || Text[Pos] == '_')) {
            ++Pos;
        }
        const std::string_view word = Text.substr(start, Pos - start);
        if (word.empty()) {
            throw EDescriptionError("missing value in expression '" + std::string(Text) + "'");
        }
        if (std::isdigit(static_cast<unsigned char>(word[0]))) {
            const bool hex =
                word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
            int64_t v = 0;
            for (const char c : hex ? word.substr(2) : word) {
                const int digit =
                    std::isdigit(static_cast<unsigned char>(c))
                        ? c - '0'
                        : (hex && std::isxdigit(static_cast<unsigned char>(c))
                               ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                               : -1);
                if (digit < 0) {
                    throw EDescriptionError("bad number '" + std::string(word) + "'");
                }
                v = v * (hex ? 16 : 10) + digit;
                if (v > 0xFFFFFFFFLL) {
                    throw EDescriptionError("number '" + std::string(word) + "' is too large");
                }
            }
            return v;
        }
        const auto it = Vars.find(word);
        if (it == Vars.end()) {
            throw EDescriptionError("unknown name '" + std::string(word) + "'");
        }
        return it->second;
    }
};

} // namespace

int64_t EvaluateExpression(std::string_view text, const TVariables& vars) {
    return TParser(text, vars).Parse();
}

std::string ExpandBraces(std::string_view line, const TVariables& vars) {
    std::string out;
    out.reserve(line.size());
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] != '{') {
            out += line[i++];
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '{') {
            out += '{';
            i += 2;
            continue;
        }
        const size_t close = line.find('}', i);
        if (close == std::string_view::npos) {
            throw EDescriptionError("'{' without '}'");
        }
        out += std::to_string(EvaluateExpression(line.substr(i + 1, close - i - 1), vars));
        i = close + 1;
    }
    return out;
}

} // namespace qvr
