#include "app/shell/CommandLine.h"

#include "base/GnuOptions.h"
#include "base/ProgramConvention.h"

#include <array>

namespace qvr {

namespace {

const std::array<TGnuOption, 2> Options = {{HelpOption, VersionOption}};

} // namespace

TViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& args) {
    using TAction = TViewerCommandLine::TAction;
    TViewerCommandLine line;
    std::vector<std::string> files;
    const auto apply = [&line](const std::string& name, const std::string&) {
        line.Action = name == "help" ? TAction::Help : TAction::Version;
        return std::string();
    };
    if (std::string error = ParseGnuOptions(args, Options, apply, files); !error.empty()) {
        line.Action = TAction::UsageError;
        line.Error = std::move(error);
        return line;
    }
    if (line.Action == TAction::Run && !files.empty()) {
        line.File = files.front();
        line.Ignored.assign(files.begin() + 1, files.end());
    }
    return line;
}

std::string ViewerHelpText() {
    return "Usage: qvrviewer [FILE]...\n"
           "Show the presets of a Korvane QVR preset or backup file as a report in a window.\n"
           "Of several files the first is opened, and a warning names the others. FILE '-'\n"
           "is standard input, read whole before the window shows.\n"
           "\n"
           "  -h, --help     display this help and exit\n"
           "  -V, --version  output version information and exit\n"
           "\n"
           "The window goes to the display that DISPLAY or WAYLAND_DISPLAY names (or to the\n"
           "window system that QT_QPA_PLATFORM names); without one, qvrreport writes the\n"
           "same report.\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read and a display that cannot be opened are failures.\n";
}

} // namespace qvr
