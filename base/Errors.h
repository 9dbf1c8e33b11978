#pragma once

#include <stdexcept>
#include <string>
#include <utility>

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

// A problem of one file the user named: what() says what is wrong, File() which file, as the
// user named it, so that it is shown as "error: FILE: TEXT" (see ShowFileError).
class EFileProblem : public std::runtime_error {
public:
    EFileProblem(std::string file, const std::string& text)
        : std::runtime_error(text), Name(std::move(file)) {}
    const std::string& File() const { return Name; }

private:
    std::string Name;
};

} // namespace qvr
