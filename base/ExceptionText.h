#pragma once

#include <exception>
#include <string>

namespace qvr {

// The text of the standard exception display, shared by the viewer's stop box
// and the exporter's error line: the message with a full stop appended when it
// does not already end with one.
std::string StandardExceptionText(const std::string& message);

// What the user is told about an exception that reached the top: its own text,
// or "Out of memory" for a failed allocation (whose own text means nothing to a user).
std::string ExceptionMessage(const std::exception& e);

} // namespace qvr
