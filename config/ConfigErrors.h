#pragma once

#include <string>
#include <utility>

namespace qvr {

// Malformed content of a configuration file. Deliberately not derived from the
// library's errors, so that the product lookup can tell the two apart.
class EQvrInvalidConfigFile {
public:
    explicit EQvrInvalidConfigFile(std::string message) : Message(std::move(message)) {}
    std::string Message;
};

// The configuration file cannot be opened for reading.
class EQvrCannotOpenFile {};

} // namespace qvr
