#pragma once

#include <string>

namespace qvr {

// Full path of the running program file; empty when it cannot be found out.
std::string ProgramFilePath();
// The folder of the program file with a trailing '/'; empty when the path is unknown, so that
// a file name appended to it names a file in the current folder.
std::string ProgramFolder();
// True when an entry (file or folder) exists at `path` and may be read.
bool PathExists(const std::string& path);

} // namespace qvr
