#pragma once

#include "library/Sqlite.h"

#include <string>

namespace qvr {

// The version of the library's tables that this program writes.
inline constexpr int LibrarySchemaVersion = 6;

// Opens the library database at `path` (creating it and its folder), in WAL
// mode so that the viewer and the command line can use it at once, and brings
// its tables to LibrarySchemaVersion, one migration after the other in one
// transaction. A database of a newer version than this program knows throws
// ELibraryDatabase and is left as it is.
TSqlite OpenLibrary(const std::string& path);

// Where the library lives: $XDG_DATA_HOME/oktrel/library.sqlite, with
// ~/.local/share for an unset or relative XDG_DATA_HOME; empty when neither
// that nor HOME is set.
std::string DefaultLibraryPath();

} // namespace qvr
