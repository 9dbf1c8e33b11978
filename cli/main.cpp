// qvrreport: writes the report of a preset or backup file, to a file or to
// standard output: in HTML byte for byte the document that the viewer shows,
// or as text, CSV or JSON.

#include "base/ExceptionText.h"
#include "base/Numbers.h"
#include "base/ProgramConvention.h"
#include "cli/CommandLine.h"
#include "cli/CompareCommand.h"
#include "cli/PresetInput.h"
#include "cli/ReportNotifier.h"
#include "platform/AtomicFile.h"
#include "platform/OutputCheck.h"
#include "platform/ProgramPath.h"
#include "platform/Spool.h"
#include "platform/TempFiles.h"
#include "platform/Version.h"
#include "platform/VersionText.h"
#include "platform/WriteBehind.h"
#include "report/Comparison.h"
#include "report/PresetReport.h"
#include "report/ReportFormat.h"
#include "report/SummarySink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using qvr::ExitOk;
using qvr::ExitUsage;
const int ExitErrorShown = qvr::ExitFailure;

const char* const Program = "qvrreport";

// Says why the program cannot go on; ExitUsage.
int Refuse(const std::string& problem) {
    qvr::ShowProgramNote(Program, problem);
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
            return Refuse("write error: " + qvr::ExceptionMessage(e));
        }
        if (File) {
            if (!File->Commit()) {
                return qvr::ShowCannotWrite(File->Target(), File->Error());
            }
            return ExitOk;
        }
        qvr::TDescriptorTarget out(STDOUT_FILENO);
        const bool copied = Spool.CopyTo(out);
        const int error = copied ? out.Error() : Spool.Error();
        if (error != 0) {
            return Refuse(std::string("write error: ") + std::strerror(error));
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

// What writing the output would replace that the report reads: "the preset file 'NAME'",
// "the configuration file 'PATH'" or "the settings file 'PATH'"; empty when it replaces none.
std::string InputAtOutput(const std::string& output, const std::string& presetFile,
                          const qvr::TConfigSearch& search) {
    const std::optional<qvr::TOutputClash> clash =
        qvr::FindOutputClash(output, {presetFile}, qvr::ProductConfigPaths(search));
    return clash ? clash->Text() : std::string();
}

// Refuses an output that would replace what the report reads, a usage error; both are kept
// as they are.
int RefuseOutputOver(const std::string& input) {
    return qvr::ShowUsageError(Program, "the report would replace " + input +
                                            "; choose another output file");
}

// A configuration folder given that is not there is a usage error, not a silent search
// elsewhere: empty when it is a folder, else the reason.
std::string ConfigDirProblem(const std::string& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (error) {
        return error.message();
    }
    return std::filesystem::is_directory(status) ? std::string() : std::strerror(ENOTDIR);
}

} // namespace

int main(int argc, char** argv) {
    // Messages are written in blocks; the buffer goes out at exit, before the document.
    static char errorBuffer[64 * 1024];
    std::setvbuf(stderr, errorBuffer, _IOFBF, sizeof errorBuffer);
    // A report cut short by Ctrl+C or the end of the session leaves no temporary file.
    qvr::RemoveTempFilesOnSignals();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const qvr::TCliParse parse = qvr::ParseCommandLine(args);
    if (!parse.Options) {
        return qvr::ShowUsageError(Program, parse.Error);
    }
    const qvr::TCliOptions& options = *parse.Options;
    if (options.Help) {
        return qvr::PrintAnswer(Program, qvr::UsageText());
    }
    if (options.Version) {
        return qvr::PrintAnswer(Program, qvr::VersionText(Program));
    }
    if (options.ConfigDir) {
        if (const std::string problem = ConfigDirProblem(*options.ConfigDir); !problem.empty()) {
            return qvr::ShowUsageError(Program, "cannot use the configuration folder '" +
                                                    *options.ConfigDir + "': " + problem);
        }
    }

    qvr::TReportNotifier notifier(qvr::SourceName(options.PresetFile));
    qvr::TConfigSearch search;
    search.EditorFolder = options.ConfigDir;
    search.ProgramFolder = qvr::ProgramDataFolder();

    if (options.CompareWith) {
        for (const std::string& side : {options.PresetFile, *options.CompareWith}) {
            const std::string file = qvr::CompareOperandSide(side).File;
            if (options.Output) {
                if (const std::string input = InputAtOutput(*options.Output, file, search);
                    !input.empty()) {
                    return RefuseOutputOver(input);
                }
            }
        }
        TDocumentOutput output(options.Output);
        const int status = qvr::RunCompare(options, search, output.Target());
        std::fflush(stderr);
        const int written = status == qvr::CompareTrouble ? status : output.Finish();
        return written != ExitOk ? written : status;
    }

    // A preset file that cannot be read is an error of its own, and no document is written.
    qvr::TPresetInput input(options.PresetFile);
    if (!input.Error().empty()) {
        notifier.ShowError(input.Error());
        return ExitErrorShown;
    }

    // Before anything is read: neither file is touched.
    if (options.Output) {
        if (const std::string clash = InputAtOutput(*options.Output, input.Path(), search);
            !clash.empty()) {
            return RefuseOutputOver(clash);
        }
    }

    TDocumentOutput output(options.Output);
    int32_t presets = 0;
    try {
        const std::unique_ptr<qvr::IPresetSink> writer = qvr::MakeReportWriter(
            options.Format, output.Target(),
            qvr::TDocumentSource{options.PresetFile, "qvrreport", qvr::ProgramVersion},
            options.Columns);
        qvr::TSummarySink summary(*writer);
        qvr::TPresetReport report(notifier, search);
        report.ColumnCount = options.Columns;
        // Data formats read the same everywhere; documents for reading follow the user's locale.
        const bool data =
            options.Format == qvr::TReportFormat::Json || options.Format == qvr::TReportFormat::Csv;
        report.Emit(input.Bytes(), summary, data ? '.' : qvr::UserDecimalSeparator());
        presets = summary.Summary().PresetCount;
    } catch (const std::exception& e) {
        notifier.ShowException(qvr::ExceptionMessage(e));
        return ExitErrorShown;
    } catch (...) {
        notifier.ShowException("Unknown exception");
        return ExitErrorShown;
    }
    if (notifier.ErrorCount > 0) {
        // A report that met an error does not replace a file: the earlier report is worth more
        // than a fragment. On standard output it still goes out, as the viewer shows it.
        if (options.Output) {
            qvr::ShowProgramNote(Program, "'" + *options.Output + "' left as it was");
            return ExitErrorShown;
        }
    } else if (presets == 0) {
        qvr::ShowFileWarning(options.PresetFile, "the file holds no presets");
    }

    // The messages go out first, as they were shown while the report was made.
    std::fflush(stderr);
    const int written = output.Finish();
    if (written != ExitOk) {
        return written;
    }
    return notifier.ErrorCount > 0 ? ExitErrorShown : ExitOk;
}
