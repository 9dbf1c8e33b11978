// qvrlib: library work on preset and backup files, one command per call ("qvrlib split ...").

#include "librarian/Subcommand.h"
#include "platform/TempFiles.h"
#include "platform/VersionText.h"

#include <string>
#include <vector>

namespace {

const std::vector<qvr::TGnuOption> ProgramOptions = {qvr::HelpOption, qvr::VersionOption};

} // namespace

int main(int argc, char** argv) {
    // A join or split cut short by Ctrl+C or the end of the session leaves no temporary file.
    qvr::RemoveTempFilesOnSignals();
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // The program's own options come before the command.
    if (!args.empty() && args[0].size() > 1 && args[0][0] == '-' && args[0] != "--") {
        std::string shown;
        std::vector<std::string> operands;
        const std::string error = qvr::ParseGnuOptions(
            {args[0]}, ProgramOptions,
            [&shown](const std::string& name, const std::string&) {
                shown = name;
                return std::string();
            },
            operands);
        if (!error.empty()) {
            return qvr::LibUsageError("", error);
        }
        return qvr::LibPrint(shown == "help" ? qvr::LibOverviewText() : qvr::VersionText("qvrlib"));
    }
    if (!args.empty() && args[0] == "--") {
        args.erase(args.begin());
    }
    if (args.empty()) {
        return qvr::LibUsageError("", "missing command");
    }
    const qvr::TSubcommand* const command = qvr::FindSubcommand(args[0]);
    if (command == nullptr) {
        return qvr::LibUsageError("", "unknown command '" + args[0] + "'");
    }
    return command->Run(std::vector<std::string>(args.begin() + 1, args.end()));
}
