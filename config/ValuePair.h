#pragma once

#include <string>
#include <string_view>

namespace qvr {

// One line of a configuration file, split into the name before the first "="
// and the value after it.
class TQvrValuePair {
public:
    // An empty pair: a line without "=" then gets an empty value.
    TQvrValuePair() = default;
    // A pair built from a line: a line without "=" gets the value "(none)".
    explicit TQvrValuePair(std::string_view line);

    // Splits the line into Name and Value. One double quote is removed from
    // each end of the value. An empty value after "=", or a lone double quote,
    // raises ERangeError.
    void Parse(std::string_view line);

    std::string NoValue;
    std::string Name;
    std::string Value;
    std::string Line;
};

} // namespace qvr
