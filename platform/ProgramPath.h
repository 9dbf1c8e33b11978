#pragma once

#include <string>

namespace qvr {

// Full path of the running program file; empty when it cannot be found out.
std::string ProgramFilePath();
// The folder of the program file with a trailing '/'; empty when the path is unknown, so that
// a file name appended to it names a file in the current folder.
std::string ProgramFolder();
// Where the program's data (the configuration files) lies: for a program in PREFIX/bin/ the
// folder PREFIX/share/qvrviewer/ when it exists, else the program's own folder, as in the build
// folder. With a trailing '/'; DataFolderOf(ProgramFolder()) for the running program.
std::string DataFolderOf(const std::string& programFolder);
std::string ProgramDataFolder();
// True when an entry (file or folder) exists at `path` and may be read.
bool PathExists(const std::string& path);

} // namespace qvr
