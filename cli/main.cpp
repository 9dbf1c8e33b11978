// qvrreport: writes the report of a preset or backup file, byte for byte the
// document that the viewer shows, to a file or to standard output.

#include "cli/CommandLine.h"
#include "cli/StderrNotifier.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPath.h"
#include "platform/SameFile.h"
#include "platform/VersionText.h"
#include "report/PresetReport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
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

// Writes the whole document; false (with errno set) when it could not be written.
bool WriteAll(std::FILE* file, const std::string& document) {
    const size_t written = std::fwrite(document.data(), 1, document.size(), file);
    return written == document.size() && std::fflush(file) == 0;
}

int WriteDocument(const qvr::TCliOptions& options, const std::string& document) {
    if (!options.Output) {
        if (!WriteAll(stdout, document)) {
            std::fprintf(stderr, "qvrreport: write error: %s\n", std::strerror(errno));
            return ExitUsage;
        }
        return ExitOk;
    }
    // The file is replaced whole, or left as it was.
    qvr::TAtomicFile file(*options.Output);
    if (!file.Write(document.data(), document.size()) || !file.Commit()) {
        std::fprintf(stderr, "qvrreport: cannot write '%s': %s\n", options.Output->c_str(),
                     std::strerror(file.Error()));
        return ExitUsage;
    }
    return ExitOk;
}

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
    search.ProgramFolder = qvr::ProgramFolder();

    // Before anything is read: neither file is touched.
    if (options.Output && OutputIsAnInput(*options.Output, options.PresetFile, search)) {
        std::fputs("error: the output FILE is the input file\n", stderr);
        return ExitUsage;
    }

    std::string document;
    try {
        qvr::TPresetReport report(notifier, search);
        report.ColumnCount = options.Columns;
        document = report.Build(options.PresetFile);
    } catch (const std::exception& e) {
        notifier.ShowException(qvr::ExceptionMessage(e));
        return ExitErrorShown;
    } catch (...) {
        notifier.ShowException("Unknown exception");
        return ExitErrorShown;
    }

    const int written = WriteDocument(options, document);
    if (written != ExitOk) {
        return written;
    }
    return notifier.ErrorCount > 0 ? ExitErrorShown : ExitOk;
}
