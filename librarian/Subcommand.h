#pragma once

#include "base/GnuOptions.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// Exit statuses of every qvrlib command.
inline constexpr int LibExitOk = 0;
inline constexpr int LibExitFailed = 1;
inline constexpr int LibExitUsage = 2;

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

// Writes "qvrlib NAME: PROBLEM" and where to find help to standard error; returns LibExitUsage.
int LibUsageError(std::string_view command, const std::string& problem);

// Writes "qvrlib NAME: TEXT" to standard error, for what a command says along the way.
void LibSay(std::string_view command, const std::string& text);

// Writes every line of `text` as "error: SOURCE: LINE" to standard error ("error: LINE" when
// `source` is empty), for a problem of a file.
void LibShowError(const std::string& source, const std::string& text);

// Writes the text to standard output; LibExitOk, or LibExitUsage when it cannot be written.
int LibPrint(const std::string& text);

} // namespace qvr
