#include "librarian/EditCommand.h"
#include "librarian/JoinCommand.h"
#include "librarian/LibraryCommands.h"
#include "librarian/SendCommand.h"
#include "librarian/SplitCommand.h"
#include "librarian/Subcommand.h"

#include <algorithm>

namespace qvr {

namespace {

std::string HelpText() {
    return "Usage: qvrlib help [COMMAND]\n"
           "Display the help of qvrlib, or of COMMAND (the same as 'qvrlib COMMAND --help').\n";
}

int RunHelp(const std::vector<std::string>& args) {
    const TCommandArgs parsed = ParseCommandArgs(args, {}, {});
    if (!parsed.Error.empty()) {
        return LibUsageError("help", parsed.Error);
    }
    if (parsed.Help) {
        return LibPrint(HelpText());
    }
    if (parsed.Operands.empty()) {
        return LibPrint(LibOverviewText());
    }
    if (parsed.Operands.size() > 1) {
        return LibUsageError("help", "extra operand '" + parsed.Operands[1] + "'");
    }
    const TSubcommand* const command = FindSubcommand(parsed.Operands[0]);
    if (command == nullptr) {
        return LibUsageError("help", "unknown command '" + parsed.Operands[0] + "'");
    }
    return LibPrint(command->Help());
}

// The commands of qvrlib, one entry each, in the order the overview lists them.
const TSubcommand Table[] = {
    {"split", "[--force] FILE [DIR]", "write every preset of FILE to a file of its own",
     &SplitHelpText, &RunSplit},
    {"join", "[--renumber FIRST] OUT FILE[:N]...", "write presets of several files into one file",
     &JoinHelpText, &RunJoin},
    {"set", "[OPTION]... FILE[:N] 'MODULE: PARAMETER=VALUE'... -o OUT",
     "set values of a preset as the report shows them, into a new file", &SetHelpText, &RunSet},
    {"rename", "[OPTION]... FILE[:N] NAME -o OUT", "give a preset a new name, into a new file",
     &RenameHelpText, &RunRename},
    {"send", "[OPTION]... FILE[:N]", "send a file or one of its presets to a device over MIDI",
     &SendHelpText, &RunSend},
    {"add", "[--all] PATH...", "put preset and backup files into the library", &AddHelp, &RunAdd},
    {"update", "", "find new files in the folders, read changed ones, drop gone ones", &UpdateHelp,
     &RunUpdate},
    {"remove", "PATH...", "take files and folders out of the library", &RemoveHelp, &RunRemove},
    {"folders", "", "list the folders the library follows", &FoldersHelp, &RunFolders},
    {"list", "", "list the files of the library", &ListHelp, &RunList},
    {"search", "[--count] [--limit N] [--unique] [--format text|json] QUERY...",
     "find presets by name, module or parameter value", &SearchHelp, &RunSearch},
    {"duplicates", "[--format text|json]", "list the presets kept more than once", &DuplicatesHelp,
     &RunDuplicates},
    {"history", "[--format text|json] FILE:N",
     "list the versions of a preset across the library, with what changed", &HistoryHelp,
     &RunHistory},
    {"help", "[COMMAND]", "display the help of qvrlib or of one command", &HelpText, &RunHelp},
};

} // namespace

std::span<const TSubcommand> Subcommands() {
    return Table;
}

const TSubcommand* FindSubcommand(std::string_view name) {
    const std::span<const TSubcommand> all = Subcommands();
    const auto it = std::find_if(all.begin(), all.end(), [name](const TSubcommand& command) {
        return command.Name == name;
    });
    return it == all.end() ? nullptr : &*it;
}

std::string LibOverviewText() {
    std::string text = "Usage: qvrlib COMMAND [ARGUMENT]...\n"
                       "  or:  qvrlib --help | --version\n"
                       "Library work on preset and backup files of Korvane QVR devices.\n"
                       "\n"
                       "Commands:\n";
    for (const TSubcommand& command : Subcommands()) {
        std::string line = "  " + std::string(command.Name) + " " + std::string(command.Synopsis);
        text += line + "\n      " + std::string(command.Summary) + "\n";
    }
    text += "\n"
            "  -h, --help        display this help and exit\n"
            "  -V, --version     output version information and exit\n"
            "\n"
            "'qvrlib COMMAND --help' tells more about a command.\n"
            "\n";
    text += ExitStatusHelp;
    return text;
}

} // namespace qvr
