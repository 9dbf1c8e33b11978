// qvrcapture: receives a dump from the device over MIDI and writes the messages to a file, the
// same bytes a preset or backup file holds, then checks it as a report would read it.

#include "base/ProgramConvention.h"
#include "base/TerminalText.h"
#include "capture/CaptureCommandLine.h"
#include "cli/StderrNotifier.h"
#include "midi/Capture.h"
#include "midi/DumpSummary.h"
#include "midi/MidiPorts.h"
#include "platform/AtomicFile.h"
#include "platform/OutputCheck.h"
#include "platform/TempFiles.h"
#include "platform/VersionText.h"
#include "report/DumpCheck.h"
#include "report/ProductConfigLookup.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qvr::ExitOk;
using qvr::ExitUsage;
const int ExitFailed = qvr::ExitFailure;

const char* const Program = "qvrcapture";

std::atomic<bool> Interrupted = false;

extern "C" void OnInterrupt(int) {
    Interrupted = true;
}

void Say(const std::string& text) {
    qvr::ShowProgramNote(Program, text);
}

int ListPorts(qvr::TMidiApi api) {
    try {
        for (const std::string& name : qvr::ListInputPorts(api)) {
            std::printf("%s\n", qvr::TerminalSafe(name).c_str());
        }
    } catch (const qvr::EMidiError& e) {
        Say(std::string("cannot list the MIDI input ports: ") + e.what());
        return ExitFailed;
    }
    return std::fflush(stdout) == 0 ? ExitOk : ExitUsage;
}

int CannotWrite(const qvr::TAtomicFile& file) {
    return qvr::ShowCannotWrite(file.Target(), file.Error());
}

// Ctrl+C and SIGTERM end the capture, which then writes what came; SIGHUP (the session has
// gone) ends the program without leaving the temporary file behind.
void CatchInterrupts() {
    qvr::RemoveTempFilesOnSignals();
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const qvr::TCaptureParse parse = qvr::ParseCaptureCommandLine(args);
    if (!parse.Options) {
        return qvr::ShowUsageError(Program, parse.Error);
    }
    const qvr::TCaptureOptions& options = *parse.Options;
    if (options.Help) {
        return qvr::PrintAnswer(Program, qvr::CaptureUsageText());
    }
    if (options.Version) {
        return qvr::PrintAnswer(Program, qvr::VersionText(Program));
    }
    if (options.List) {
        return ListPorts(options.Api);
    }
    // The dump never takes the place of the settings or a configuration file.
    if (const std::optional<qvr::TOutputClash> clash =
            qvr::FindOutputClash(options.File, {}, qvr::ProductConfigPaths(qvr::TConfigSearch{}))) {
        return qvr::ShowUsageError(Program, "the dump would replace " + clash->Text() +
                                                "; choose another file");
    }
    // The temporary file is made before listening, so that a place where FILE cannot be
    // written shows before the user starts the dump; a signal from then on removes it.
    qvr::RemoveTempFilesOnSignals();
    qvr::TAtomicFile file(options.File);
    if (!file.IsOpen()) {
        return CannotWrite(file);
    }

    // The reception's and the checks' messages are about the dump that becomes FILE.
    qvr::TStderrNotifier notifier(options.File);
    std::string dump;
    qvr::TDumpSummary summary;
    // The message handler runs on the MIDI input's thread; the main thread reads `dump` and
    // `summary` only after the input is closed. Warnings come from Finish, on the main thread,
    // one per kind of data dropped.
    qvr::TCapture capture(options.Idle,
                          {[&](const std::vector<uint8_t>& message) {
                               dump.append(message.begin(), message.end());
                               summary.Add(message);
                           },
                           [&](const std::string& warning) { notifier.ShowWarning(warning); }});
    CatchInterrupts();
    try {
        qvr::TMidiInput input(
            options.Api, Program, [&](std::span<const uint8_t> bytes) { capture.Feed(bytes); },
            [&](const std::string& text, bool fatal) {
                // On the MIDI thread: lost bytes are counted and told once at the end.
                if (fatal) {
                    capture.Fail(text);
                } else {
                    capture.Overrun(text);
                }
            });
        const std::string port =
            options.Port ? input.OpenPort(*options.Port) : input.OpenVirtualPort(Program);
        Say("listening on '" + port + "'; start the dump on the device (Ctrl+C stops)");
        while (capture.Wait(Interrupted, std::chrono::seconds(1)) == qvr::TCaptureEnd::Running) {
            if (!input.PortPresent()) {
                capture.Fail("the port '" + port + "' has gone");
            }
        }
        input.Close();
    } catch (const qvr::EMidiError& e) {
        Say(std::string("cannot open the MIDI input: ") + e.what());
        return ExitFailed;
    }
    capture.Finish();

    const qvr::TCaptureEnd end = capture.Check(qvr::TCapture::TClock::now());
    if (end == qvr::TCaptureEnd::PortError) {
        notifier.ShowError("MIDI input failed: " + capture.Error());
    } else if (end == qvr::TCaptureEnd::TooLarge) {
        notifier.ShowError("The dump grew too large; reception stopped");
    }
    Say(summary.Text());
    if (summary.Messages == 0) {
        Say("nothing whole arrived; '" + options.File + "' not written");
        return ExitFailed;
    }
    if (!file.Write(dump.data(), dump.size()) || !file.Commit()) {
        return CannotWrite(file);
    }
    std::istringstream written(dump);
    const bool checked = qvr::CheckDump(written, notifier);
    return checked && notifier.ErrorCount == 0 ? ExitOk : ExitFailed;
}
