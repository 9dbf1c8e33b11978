#pragma once

#include <stdexcept>
#include <string>

namespace qvr {

// Base of the errors that the small library routines raise. They carry their
// text in what(), unlike the configuration's own error classes.
class ELibraryError : public std::runtime_error {
public:
    explicit ELibraryError(const std::string& message) : std::runtime_error(message) {}
};

// An index or a character position outside its string or list.
class ERangeError : public ELibraryError {
public:
    ERangeError() : ELibraryError("Range check error") {}
};

// A text that does not convert to the number asked for.
class EConvertError : public ELibraryError {
public:
    explicit EConvertError(const std::string& message) : ELibraryError(message) {}
};

} // namespace qvr
