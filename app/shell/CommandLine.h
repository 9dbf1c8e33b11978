#pragma once

#include <string>
#include <vector>

namespace qvr {

// What the viewer's command line asks for.
struct TViewerCommandLine {
    enum class TAction { Run, Help, Version, UsageError };
    TAction Action = TAction::Run;
    std::string File;                 // the preset file to open once the window shows, or empty
    std::vector<std::string> Ignored; // further files, which are not opened
    std::string Error;                // the usage error, without program name
};

// Reads the arguments after the program's name as every program of the package does
// (base/ProgramConvention.h): -h/--help and -V/--version acting where they stand, then preset
// files as they come; "--" ends the options and "-" alone is a file. An unknown option is a
// usage error. The window system's own options are not taken: its environment variables
// (QT_QPA_PLATFORM, ...) do the same.
TViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string ViewerHelpText();

} // namespace qvr
