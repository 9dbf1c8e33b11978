#pragma once

#include "base/GnuOptions.h"
#include "librarian/Subcommand.h"
#include "library/Library.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// The options every library command takes: --database FILE (the library,
// default DefaultLibraryPath()) and, for those that read files,
// --config-dir DIR.
struct TLibraryOptions {
    std::string Database;
    std::optional<std::string> ConfigDir;
};

// The help lines of those options.
inline constexpr const char* LibraryOptionsHelp =
    "      --database FILE   the library database (default:\n"
    "                        $XDG_DATA_HOME/oktrel/library.sqlite)\n";
inline constexpr const char* ConfigDirHelp =
    "  -d, --config-dir DIR  look for the product configuration file in DIR first\n";

// Adds the library options to `options`; `onOption` handles them and returns
// true, or false for another option.
void AddLibraryOptions(std::vector<TGnuOption>& options, bool configDir);
bool TakeLibraryOption(TLibraryOptions& into, const std::string& name, const std::string& value);

// Parses the arguments of a library command that takes --format text|json besides the library
// options (and --config-dir with `configDir`); false, with the exit status in `status`, when
// the command is not to run: a usage error, or --help answered with `help`.
bool ParseFormatCommand(const char* command, const std::vector<std::string>& args, bool configDir,
                        std::string (*help)(), TLibraryOptions& library, bool& json,
                        TCommandArgs& parsed, int& status);

// Whether a command whose arguments are parsed is to run: false, with the exit status in
// `status`, after its usage error or its --help (`help`) has been shown.
bool CommandToRun(const char* command, const TCommandArgs& parsed, std::string (*help)(),
                  int& status);

// Where the library's files find their configurations.
TConfigSearch ConfigSearchOf(const TLibraryOptions& options);

// Opens the library; on failure says why for `command` and returns nothing.
std::unique_ptr<TLibrary> OpenLibraryFor(const char* command, const TLibraryOptions& options);

// Reports each file of a long run on standard error, on one line that is
// rewritten, when standard error is a terminal; problems as lines of their own.
TLibrary::TProgress TerminalProgress(const char* command);

} // namespace qvr
