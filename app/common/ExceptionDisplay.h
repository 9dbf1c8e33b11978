#pragma once

#include "base/ExceptionText.h"

namespace qvr {

// The title of the program's own message boxes (and of the task bar entry);
// the main window's caption differs from it.
inline constexpr const char* ApplicationTitle = "Oktrel(tm) Patch Viewer";
inline constexpr const char* MainWindowCaption = "Oktrel(tm) Preset Viewer";

} // namespace qvr
