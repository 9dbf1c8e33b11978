#pragma once

#include "base/GnuOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// What every program of the package does alike on its command line and on standard error.

// Exit statuses: 0 done; 1 a failure was shown (for a comparison: the files differ); 2 a usage
// error, or an output that cannot be written.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// The table of these statuses that ends every program's --help (the manual pages have the same),
// followed by each program's own examples of a failure.
inline constexpr std::string_view ExitStatusHelp =
    "Exit status:\n"
    "  0  done (warnings allowed)\n"
    "  1  a failure, shown on standard error\n"
    "  2  a usage error, or an output that cannot be written\n";

// -h/--help and -V/--version, which every program takes; they act where they stand.
inline constexpr TGnuOption HelpOption{.Name = "help", .Short = 'h', .EndsParsing = true};
inline constexpr TGnuOption VersionOption{.Name = "version", .Short = 'V', .EndsParsing = true};

// The usage error of `program` on standard error, as GNU programs write it:
// "PROGRAM: PROBLEM" and "Try 'PROGRAM --help' for more information.". Returns ExitUsage.
int ShowUsageError(std::string_view program, std::string_view problem);

// A note of the program itself (not about one of its files) on standard error: every line of
// `text` as "PROGRAM: LINE".
void ShowProgramNote(std::string_view program, std::string_view text);

// The answer to --help or --version on standard output, flushed. Returns ExitOk, or ExitUsage
// after the note "write error: REASON" when it could not be written whole (a full device).
int PrintAnswer(std::string_view program, std::string_view text);

// A message about a file as the programs write it to standard error: every line of `text` as
// "KIND: SOURCE: LINE" (kind "error" or "warning"; "KIND: LINE" when `source` is empty), each
// ending in a line feed, so that every line can be told apart by grep. Control characters in
// `source` and `text` are shown escaped (see TerminalSafe), so neither can fake a line.
std::string MessageLines(std::string_view kind, std::string_view source, std::string_view text);

// How messages name a file given on the command line: "-" is "standard input", any other name
// stays as it was given.
std::string SourceName(const std::string& file);

// How messages name the preset they are about: "preset 12" by its number, "preset at place 3"
// by its place in the file (from 0) when it has none; empty when neither is known.
std::string PresetPart(std::optional<int32_t> number, std::optional<size_t> place = {});

// The one writer of messages about a file on standard error, which every program uses:
// "error: FILE: LINE" for every line of `text`, FILE as SourceName shows `file` (nothing when
// it is empty); with a preset part, "error: FILE: preset 4: LINE".
void ShowFileError(const std::string& file, std::string_view text, std::string_view part = {});
// The lines ShowFileError and ShowFileWarning write, `kind` "error" or "warning".
std::string FileMessageLines(std::string_view kind, const std::string& file, std::string_view text,
                             std::string_view part = {});
// The same as "warning: FILE: LINE".
void ShowFileWarning(const std::string& file, std::string_view text, std::string_view part = {});

// "error: FILE: cannot write: REASON" for the output `file` that could not be written (`error`
// an errno value). Returns ExitUsage, the status of an output that cannot be written.
int ShowCannotWrite(const std::string& file, int error);

} // namespace qvr
