#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// One word of a description line: a positional word ("preset", "3",
// "\"Glassy Clean\"") or a key=value word ("type=2", "name=\"A & B\"").
struct TLineToken {
    std::string Key;   // empty for a positional word
    std::string Value; // with quotes removed and escapes resolved
    bool Quoted = false;
};

// Removes a comment: everything from a '#' that is not inside quotes.
std::string_view StripComment(std::string_view line);

// Splits a line into words at blanks. Quoted text may hold blanks and the
// escapes \" \\ and \xNN (any byte). Throws EDescriptionError.
std::vector<TLineToken> SplitLine(std::string_view line);

} // namespace qvr
