// qvrreport: writes the report of a preset or backup file, to a file or to
// standard output: in HTML byte for byte the document that the viewer shows,
// or as text, CSV or JSON.

#include "base/ExceptionText.h"
#include "base/Numbers.h"
#include "cli/CommandLine.h"
#include "cli/CompareCommand.h"
#include "cli/PresetInput.h"
#include "cli/StderrNotifier.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPath.h"
#include "platform/SameFile.h"
#include "platform/Spool.h"
#include "platform/VersionText.h"
#include "platform/WriteBehind.h"
#include "report/Comparison.h"
#include "report/PresetReport.h"
#include "report/ReportFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

const int ExitOk = 0;
const int ExitErrorShown = 1;
const int ExitUsage = 2;

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "qvrreport: %s\nTry 'qvrreport --help' for more information.\n",
                 problem.c_str());
    return ExitUsage;
}

// The bytes of a new output file; its first failure is kept by the file.
class TFileTarget : public qvr::IByteTarget {
public:
    explicit TFileTarget(qvr::TAtomicFile& file) : File(file) {}
    void Put(std::string_view bytes) override { File.Write(bytes.data(), bytes.size()); }

private:
    qvr::TAtomicFile& File;
};

// Where the document goes while it is written: a new file that replaces the
// output file only once the report is finished, or a spool that is copied to
// standard output then. A report that fails on the way writes no document.
class TDocumentOutput {
public:
    explicit TDocumentOutput(const std::optional<std::string>& path) {
        if (path) {
            File.emplace(*path);
            FileTarget.emplace(*File);
        }
        Behind.emplace(FileTarget ? static_cast<qvr::IByteTarget&>(*FileTarget) : Spool);
    }

    qvr::IByteTarget& Target() { return *Behind; }

    // Puts the finished document in place; ExitUsage with its message when it cannot be.
    int Finish() {
        try {
            Behind->Finish();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "qvrreport: write error: %s\n", qvr::ExceptionMessage(e).c_str());
            return ExitUsage;
        }
        if (File) {
            if (!File->Commit()) {
                std::fprintf(stderr, "qvrreport: cannot write '%s': %s\n", File->Target().c_str(),
                             std::strerror(File->Error()));
                return ExitUsage;
            }
            return ExitOk;
        }
        qvr::TDescriptorTarget out(STDOUT_FILENO);
        const bool copied = Spool.CopyTo(out);
        const int error = copied ? out.Error() : Spool.Error();
        if (error != 0) {
            std::fprintf(stderr, "qvrreport: write error: %s\n", std::strerror(error));
            return ExitUsage;
        }
        return ExitOk;
    }

private:
    std::optional<qvr::TAtomicFile> File;
    std::optional<TFileTarget> FileTarget;
    qvr::TSpool Spool;
    // Writes to the file or the spool while the report goes on; stopped first.
    std::optional<qvr::TWriteBehind> Behind;
};

// Whether writing the output would replace the preset file or a configuration file that the
// report could read.
bool OutputIsAnInput(const std::string& output, const std::string& presetFile,
                     const qvr::TConfigSearch& search) {
    if (qvr::IsSameFile(output, presetFile)) {
        return true;
    }
    for (const std::string& config : qvr::ProductConfigPaths(search)) {
        if (qvr::IsSameFile(output, config)) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Messages are written in blocks; the buffer goes out at exit, before the document.
    static char errorBuffer[64 * 1024];
    std::setvbuf(stderr, errorBuffer, _IOFBF, sizeof errorBuffer);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const qvr::TCliParse parse = qvr::ParseCommandLine(args);
    if (!parse.Options) {
        return UsageError(parse.Error);
    }
    const qvr::TCliOptions& options = *parse.Options;
    if (options.Help) {
        std::fputs(qvr::UsageText().c_str(), stdout);
        return ExitOk;
    }
    if (options.Version) {
        std::fputs(qvr::VersionText("qvrreport").c_str(), stdout);
        return ExitOk;
    }

    qvr::TStderrNotifier notifier;
    qvr::TConfigSearch search;
    search.EditorFolder = options.ConfigDir;
    search.ProgramFolder = qvr::ProgramDataFolder();

    if (options.CompareWith) {
        for (const std::string& side : {options.PresetFile, *options.CompareWith}) {
            if (options.Output &&
                OutputIsAnInput(*options.Output, qvr::CompareOperandSide(side).File, search)) {
                std::fputs("error: the output FILE is the input file\n", stderr);
                return ExitUsage;
            }
        }
        TDocumentOutput output(options.Output);
        const int status = qvr::RunCompare(options, search, output.Target(), notifier);
        std::fflush(stderr);
        const int written = status == qvr::CompareTrouble ? status : output.Finish();
        return written != ExitOk ? written : status;
    }

    // A preset file that cannot be read is an error of its own, and no document is written.
    qvr::TPresetInput input(options.PresetFile);
    if (input.Error() != 0) {
        notifier.ShowError("cannot open " + options.PresetFile + ": " +
                           std::strerror(input.Error()));
        return ExitErrorShown;
    }

    // Before anything is read: neither file is touched.
    if (options.Output && OutputIsAnInput(*options.Output, input.Path(), search)) {
        std::fputs("error: the output FILE is the input file\n", stderr);
        return ExitUsage;
    }

    TDocumentOutput output(options.Output);
    try {
        qvr::TReportWriter writer = qvr::MakeReportWriter(
            options.Format, output.Target(), options.PresetFile, options.Columns, notifier);
        qvr::TPresetReport report(*writer.Notifier, search);
        report.ColumnCount = options.Columns;
        report.Emit(input.Bytes(), *writer.Sink, qvr::UserDecimalSeparator());
    } catch (const std::exception& e) {
        notifier.ShowException(qvr::ExceptionMessage(e));
        return ExitErrorShown;
    } catch (...) {
        notifier.ShowException("Unknown exception");
        return ExitErrorShown;
    }

    // The messages go out first, as they were shown while the report was made.
    std::fflush(stderr);
    const int written = output.Finish();
    if (written != ExitOk) {
        return written;
    }
    return notifier.ErrorCount > 0 ? ExitErrorShown : ExitOk;
}
