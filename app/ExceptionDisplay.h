#pragma once

#include <string>

namespace qvr {

// The title of the program's own message boxes (and of the task bar entry);
// the main window's caption differs from it.
inline constexpr const char* ApplicationTitle = "Oktrel(tm) Patch Viewer";
inline constexpr const char* MainWindowCaption = "Oktrel(tm) Preset Viewer";

// The text of the standard exception display: the message with a full stop
// appended when it does not already end with one.
std::string StandardExceptionText(const std::string& message);

} // namespace qvr
