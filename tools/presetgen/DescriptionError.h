#pragma once

#include <stdexcept>
#include <string>

namespace qvr {

// A fault in a preset description. The generator adds the line number; the
// pieces below it (tokens, expressions) throw it with Line 0.
class EDescriptionError : public std::runtime_error {
public:
    explicit EDescriptionError(const std::string& message, int line = 0)
        : std::runtime_error(message), Line(line) {}
    int Line;
};

} // namespace qvr
