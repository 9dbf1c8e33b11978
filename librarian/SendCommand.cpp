#include "librarian/SendCommand.h"

#include "base/Numbers.h"
#include "base/TerminalText.h"
#include "librarian/MidiTarget.h"
#include "librarian/Send.h"
#include "librarian/Subcommand.h"
#include "report/Comparison.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace qvr {

namespace {

const char* const Command = "send";

std::atomic<bool> Interrupted = false;

extern "C" void OnInterrupt(int) {
    Interrupted = true;
}

const std::array<TGnuOption, 7> Options = {{
    {.Name = "port", .Short = 'p', .TakesValue = true},
    {.Name = "api", .TakesValue = true},
    {.Name = "interval", .Short = 'i', .TakesValue = true},
    {.Name = "chunk", .Short = 'c', .TakesValue = true},
    {.Name = "dry-run", .Short = 'n'},
    {.Name = "yes", .Short = 'y'},
    {.Name = "list", .Short = 'l'},
}};

struct TSendOptions {
    std::string Port;
    std::string Api;
    TPacing Pacing;
    bool DryRun = false;
    bool Yes = false;
    bool List = false;
    std::vector<std::string> Given; // the options given, by their long names
};

// A whole number from 0 to `max`, or -1.
int64_t Count(const std::string& value, int64_t max) {
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    const int64_t n = StrToIntDef(value, -1);
    return n <= max ? n : -1;
}

std::string ApplyOption(TSendOptions& options, const std::string& name, const std::string& value) {
    options.Given.push_back(name);
    if (name == "port") {
        if (value.empty()) {
            return "empty port name";
        }
        options.Port = value;
    } else if (name == "api") {
        if (value != "alsa" && value != "jack") {
            return "invalid MIDI system '" + value + "' (must be alsa or jack)";
        }
        options.Api = value;
    } else if (name == "interval") {
        const int64_t ms = Count(value, TPacing::MaxInterval.count());
        if (ms < 0) {
            return "invalid interval '" + value + "' (must be 0 to 10000 milliseconds)";
        }
        options.Pacing.Interval = std::chrono::milliseconds(ms);
    } else if (name == "chunk") {
        const int64_t bytes = Count(value, static_cast<int64_t>(TPacing::MaxChunk));
        if (bytes < 0) {
            return "invalid chunk size '" + value + "' (must be 0 to 8192 bytes)";
        }
        options.Pacing.Chunk = static_cast<size_t>(bytes);
    } else {
        (name == "dry-run" ? options.DryRun : name == "yes" ? options.Yes : options.List) = true;
    }
    return {};
}

// Asks on the terminal; true for "y" or "yes".
bool Confirmed(const std::string& port) {
    std::fprintf(stderr, "Send this to '%s'? [y/N] ", TerminalSafe(port).c_str());
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int ListPorts(const std::string& api) {
    std::string text;
    try {
        for (const std::string& name : ListMidiOutputs(api)) {
            text += TerminalSafe(name) + "\n";
        }
    } catch (const std::runtime_error& e) {
        LibSay(Command, std::string("cannot list the MIDI output ports: ") + e.what());
        return LibExitFailed;
    }
    return LibPrint(text);
}

} // namespace

std::string SendHelpText() {
    return "Usage: qvrlib send [--port NAME] [--api alsa|jack] [--interval MS] [--chunk BYTES]\n"
           "                   [--dry-run] [--yes] FILE[:N]\n"
           "  or:  qvrlib send --list [--api alsa|jack]\n"
           "Send FILE, a backup or preset file, or preset number N of it, to a device over\n"
           "MIDI, message by message as the file holds them. FILE '-' is standard input\n"
           "(which then needs --yes or --dry-run).\n"
           "\n"
           "  -p, --port NAME      the MIDI output port whose name contains NAME\n"
           "      --api alsa|jack  the MIDI system to use (default: ALSA when available)\n"
           "  -i, --interval MS    pause after every message and every piece of one, in\n"
           "                       milliseconds (default 100; 0 to 10000)\n"
           "  -c, --chunk BYTES    cut longer messages into pieces of BYTES (default 256;\n"
           "                       at most 8192, the longest event every MIDI system\n"
           "                       carries whole; 0 sends every message whole, and a\n"
           "                       message longer than 8192 bytes is then an error:\n"
           "                       nothing is sent)\n"
           "  -n, --dry-run        check and list, send nothing; needs no port\n"
           "  -y, --yes            send without asking\n"
           "  -l, --list           print the MIDI output ports, one a line, and exit\n"
           "  -h, --help           display this help and exit\n"
           "\n"
           "The whole file is checked first as a report reads it (frame, maker, checksums,\n"
           "one product): a damaged file is never sent. What the device will receive (model,\n"
           "preset numbers and names) is listed on standard output; on a terminal, qvrlib asks\n"
           "before sending, elsewhere it needs --yes. Progress shows on a terminal; Ctrl+C\n"
           "or SIGTERM stops before the next piece, within one interval, and says how far\n"
           "the send got (and where a message was cut off).\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read or is damaged, MIDI failing, a send stopped or not\n"
           "confirmed are failures; an option that does not apply is a usage error.\n";
}

int RunSend(const std::vector<std::string>& args) {
    TSendOptions options;
    const TCommandArgs parsed = ParseCommandArgs(
        args, Options, [&options](const std::string& name, const std::string& value) {
            return ApplyOption(options, name, value);
        });
    if (!parsed.Error.empty()) {
        return LibUsageError(Command, parsed.Error);
    }
    if (parsed.Help) {
        return LibPrint(SendHelpText());
    }
    const std::vector<std::string>& operands = parsed.Operands;
    if (options.List) {
        // Only the MIDI system chooses which ports are listed.
        for (const std::string& name : options.Given) {
            if (name != "list" && name != "api") {
                return LibUsageError(Command, "option '--" + name + "' does not apply to --list");
            }
        }
        return operands.empty() ? ListPorts(options.Api)
                                : LibUsageError(Command, "extra operand '" + operands[0] + "'");
    }
    if (operands.size() != 1) {
        return LibUsageError(Command, operands.empty() ? "missing file operand"
                                                       : "extra operand '" + operands[1] + "'");
    }
    if (options.Port.empty() && !options.DryRun) {
        return LibUsageError(Command, "missing --port NAME ('qvrlib send --list' shows the ports)");
    }
    const TCompareSide side = CompareSideOf(operands[0]);
    if (side.File == "-" && !options.Yes && !options.DryRun) {
        // Standard input holds the file, so it cannot hold the answer too.
        return LibUsageError(Command, "FILE is standard input: --yes sends without asking");
    }
    if (!options.Yes && !options.DryRun && isatty(STDIN_FILENO) == 0) {
        return LibUsageError(Command,
                             "standard input is not a terminal: --yes sends without asking");
    }

    TDump dump;
    std::string error;
    if (!LoadDump(side.File, dump, error)) {
        LibShowError(side.File, error);
        return LibExitFailed;
    }
    TSendPlan plan;
    try {
        plan = PlanSend(dump, side.File, side.Preset);
    } catch (const std::runtime_error& e) {
        LibShowFailure(e);
        LibSay(Command, "nothing sent");
        return LibExitFailed;
    }
    try {
        CheckEvents(plan, options.Pacing);
    } catch (const std::runtime_error& e) {
        LibShowError(side.File, e.what());
        LibSay(Command, "nothing sent");
        return LibExitFailed;
    }
    const size_t events = plan.Events(options.Pacing.Chunk);
    const auto seconds =
        static_cast<double>(events) * static_cast<double>(options.Pacing.Interval.count()) / 1000.0;
    char pacing[128];
    std::snprintf(pacing, sizeof pacing, "%zu event%s, %lld ms after each: about %.1f s\n", events,
                  events == 1 ? "" : "s", static_cast<long long>(options.Pacing.Interval.count()),
                  seconds);
    if (const int printed = LibPrint(SendListing(plan) + pacing); printed != LibExitOk) {
        return printed;
    }
    if (options.DryRun) {
        LibSay(Command, "dry run: nothing sent");
        return LibExitOk;
    }

    // From here on Ctrl+C stops the send, before the first message too.
    CatchInterrupts();
    std::unique_ptr<ISendTarget> target;
    std::string port;
    try {
        target = OpenMidiTarget(options.Api, options.Port, port);
    } catch (const std::runtime_error& e) {
        LibSay(Command, std::string("cannot open the MIDI output: ") + e.what());
        return LibExitFailed;
    }
    if (!options.Yes && !Confirmed(port)) {
        LibSay(Command, "nothing sent");
        return LibExitFailed;
    }

    const bool terminal = isatty(STDERR_FILENO) != 0;
    TSendProgress done;
    const auto show = [&](const TSendProgress& now) {
        done = now;
        if (terminal) {
            std::fprintf(stderr, "\rqvrlib send: %zu of %zu messages", now.Messages,
                         plan.MessageCount);
            std::fflush(stderr);
        }
    };
    try {
        SendPlan(plan, options.Pacing, *target, show, Interrupted);
        target.reset(); // delivers what is still on the way
    } catch (const std::runtime_error& e) {
        if (terminal) {
            std::fputs("\n", stderr);
        }
        LibSay(Command, std::string("MIDI output failed: ") + e.what());
        LibSay(Command, "stopped after " + HowFarText(plan, done));
        return LibExitFailed;
    }
    if (terminal) {
        std::fputs("\n", stderr);
    }
    if (done.Messages < plan.MessageCount) {
        LibSay(Command, "stopped after " + HowFarText(plan, done));
        return LibExitFailed;
    }
    LibSay(Command, "sent " + std::to_string(done.Messages) + " messages, " +
                        std::to_string(done.Bytes) + " bytes to '" + port + "'");
    return LibExitOk;
}

} // namespace qvr
