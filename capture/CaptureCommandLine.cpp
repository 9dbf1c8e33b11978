#include "capture/CaptureCommandLine.h"

#include "base/Errors.h"
#include "base/GnuOptions.h"
#include "base/Numbers.h"
#include "base/ProgramConvention.h"

#include <array>
#include <cmath>

namespace qvr {

namespace {

// The idle time in seconds: from a tenth of a second to an hour.
const double MinIdle = 0.1;
const double MaxIdle = 3600;

TCaptureParse Fail(std::string error) {
    return TCaptureParse{std::nullopt, std::move(error)};
}

const std::array<TGnuOption, 6> Options = {{
    {.Name = "list"},
    {.Name = "port", .TakesValue = true},
    {.Name = "idle", .TakesValue = true},
    {.Name = "api", .TakesValue = true},
    HelpOption,
    VersionOption,
}};

std::optional<std::chrono::milliseconds> ParseIdle(const std::string& value) {
    double seconds = 0;
    try {
        seconds = StrToFloatDot(value);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
    if (!(seconds >= MinIdle && seconds <= MaxIdle)) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

} // namespace

std::string CaptureUsageText() {
    return "Usage: qvrcapture [--port NAME] [--idle SECONDS] [--api alsa|jack] FILE\n"
           "  or:  qvrcapture --list [--api alsa|jack]\n"
           "Receive a preset or backup dump from a Korvane QVR device over MIDI and write it\n"
           "to FILE, message by message as the device sends it.\n"
           "\n"
           "      --list            print the MIDI input ports, one a line, and exit\n"
           "      --port NAME       receive from the input port whose name contains NAME\n"
           "                        (default: open an input port named 'qvrcapture' for\n"
           "                        the device or another program to connect to)\n"
           "      --idle SECONDS    stop once the dump has not gone on for SECONDS: no whole\n"
           "                        message and no message growing, counted from the first\n"
           "                        byte the device sends (default 2; 0.1 to 3600)\n"
           "      --api alsa|jack   the MIDI system to use (default: ALSA when available)\n"
           "  -h, --help            display this help and exit\n"
           "  -V, --version         output version information and exit\n"
           "\n"
           "Start the dump on the device once qvrcapture is listening; Ctrl+C stops early and\n"
           "keeps the messages that arrived whole. What was left out (messages broken off or\n"
           "too long, other MIDI traffic) is told at the end, one warning per kind with its\n"
           "count. FILE is written whole or not at all; then the dump is checked as a report\n"
           "would read it, with messages on standard error as 'error: FILE: TEXT' or\n"
           "'warning: FILE: TEXT'.\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "Nothing whole arriving, MIDI failing or a failed check is a failure.\n";
}

TCaptureParse ParseCaptureCommandLine(const std::vector<std::string>& args) {
    TCaptureOptions options;
    std::vector<std::string> operands;
    std::string forReceiving; // the first option given that only receiving takes
    const auto apply = [&options, &forReceiving](const std::string& name,
                                                 const std::string& value) {
        if ((name == "port" || name == "idle") && forReceiving.empty()) {
            forReceiving = name;
        }
        if (name == "list") {
            options.List = true;
        } else if (name == "help" || name == "version") {
            (name == "help" ? options.Help : options.Version) = true;
        } else if (name == "port") {
            if (value.empty()) {
                return std::string("empty port name");
            }
            options.Port = value;
        } else if (name == "idle") {
            const auto idle = ParseIdle(value);
            if (!idle) {
                return "invalid idle time '" + value + "' (must be 0.1 to 3600 seconds)";
            }
            options.Idle = *idle;
        } else if (value == "alsa" || value == "jack") {
            options.Api = value == "alsa" ? TMidiApi::Alsa : TMidiApi::Jack;
        } else {
            return "invalid MIDI system '" + value + "' (must be alsa or jack)";
        }
        return std::string();
    };
    if (std::string error = ParseGnuOptions(args, Options, apply, operands); !error.empty()) {
        return Fail(error);
    }
    // --help and --version act where they stand, whatever follows.
    if (options.Help || options.Version) {
        return TCaptureParse{options, {}};
    }

    if (options.List) {
        if (!forReceiving.empty()) {
            return Fail("option '--" + forReceiving + "' does not apply to --list");
        }
        if (!operands.empty()) {
            return Fail("extra operand '" + operands[0] + "'");
        }
        return TCaptureParse{options, {}};
    }
    if (operands.empty()) {
        return Fail("missing file operand");
    }
    if (operands.size() > 1) {
        return Fail("extra operand '" + operands[1] + "'");
    }
    options.File = operands[0];
    return TCaptureParse{options, {}};
}

} // namespace qvr
