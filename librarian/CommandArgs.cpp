#include "base/Errors.h"
#include "base/ProgramConvention.h"
#include "librarian/Subcommand.h"

#include <cstdio>

namespace qvr {

namespace {

// "qvrlib" or "qvrlib COMMAND", as the messages of a command name the program.
std::string ProgramName(std::string_view command) {
    std::string name = "qvrlib";
    if (!command.empty()) {
        name.append(" ").append(command);
    }
    return name;
}

} // namespace

TCommandArgs ParseCommandArgs(const std::vector<std::string>& args,
                              std::span<const TGnuOption> options,
                              const TGnuOptionHandler& onOption) {
    std::vector<TGnuOption> all(options.begin(), options.end());
    all.push_back(HelpOption);
    TCommandArgs parsed;
    const auto apply = [&](const std::string& name, const std::string& value) {
        if (name == HelpOption.Name) {
            parsed.Help = true;
            return std::string();
        }
        return onOption(name, value);
    };
    parsed.Error = ParseGnuOptions(args, all, apply, parsed.Operands);
    return parsed;
}

int LibUsageError(std::string_view command, const std::string& problem) {
    return ShowUsageError(ProgramName(command), problem);
}

void LibSay(std::string_view command, const std::string& text) {
    ShowProgramNote(ProgramName(command), text);
}

void LibShowError(const std::string& file, const std::string& text, std::string_view part) {
    ShowFileError(file, text, part);
    std::fflush(stderr);
}

void LibShowFailure(const std::exception& failure) {
    const auto* const problem = dynamic_cast<const EFileProblem*>(&failure);
    LibShowError(problem ? problem->File() : std::string(), failure.what());
}

int LibPrint(const std::string& text) {
    return PrintAnswer("qvrlib", text);
}

} // namespace qvr
