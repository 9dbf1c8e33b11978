#pragma once

#include "base/GnuOptions.h"
#include "base/ProgramConvention.h"

#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// Exit statuses of every qvrlib command: those of every program of the package.
inline constexpr int LibExitOk = ExitOk;
inline constexpr int LibExitFailed = ExitFailure;
inline constexpr int LibExitUsage = ExitUsage;

// One command of qvrlib ("qvrlib NAME ARGS..."). Adding a command is one entry in the table of
// Subcommands.cpp and a handler in a file of its own.
struct TSubcommand {
    std::string_view Name;
    std::string_view Synopsis; // the arguments after the name, for the overview
    std::string_view Summary;  // what it does, in one line
    // The text of "qvrlib NAME --help", from "Usage:" on.
    std::string (*Help)();
    // Runs the command with the arguments after its name; returns the exit status.
    int (*Run)(const std::vector<std::string>& args);
};

// Every command, in the order the overview lists them.
std::span<const TSubcommand> Subcommands();

// The command named `name`, or nullptr.
const TSubcommand* FindSubcommand(std::string_view name);

// The text of "qvrlib --help": the synopsis and summary of every command.
std::string LibOverviewText();

// A command's arguments once its options are taken.
struct TCommandArgs {
    bool Help = false; // --help or -h was given: nothing else counts
    std::vector<std::string> Operands;
    std::string Error; // the usage error, empty when there is none
};

// Parses the arguments of command `name` with its `options` (handled by `onOption`, see
// ParseGnuOptions) and -h/--help, which every command takes.
TCommandArgs ParseCommandArgs(const std::vector<std::string>& args,
                              std::span<const TGnuOption> options,
                              const TGnuOptionHandler& onOption);

// The usage error of command NAME ("qvrlib NAME: PROBLEM" and where to find help, see
// ShowUsageError) on standard error; returns LibExitUsage.
int LibUsageError(std::string_view command, const std::string& problem);

// A note of command NAME, "qvrlib NAME: TEXT", on standard error (see ShowProgramNote).
void LibSay(std::string_view command, const std::string& text);

// A problem of `file` (as the user named it) on standard error, every line as
// "error: FILE: LINE", or "error: FILE: PART: LINE" (see ShowFileError).
void LibShowError(const std::string& file, const std::string& text, std::string_view part = {});

// A failure on standard error: "error: FILE: TEXT" for an EFileProblem, "error: TEXT" else.
void LibShowFailure(const std::exception& failure);

// Writes the text to standard output; LibExitOk, or LibExitUsage when it cannot be written
// (see PrintAnswer).
int LibPrint(const std::string& text);

} // namespace qvr
