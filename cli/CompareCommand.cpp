#include "cli/CompareCommand.h"

#include "base/Numbers.h"
#include "report/CompareWriters.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qvr {

namespace {

// A file that cannot be opened for reading is named with the reason.
bool CanOpen(const std::string& file) {
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        std::fprintf(stderr, "qvrreport: cannot open '%s': %s\n", file.c_str(),
                     std::strerror(EISDIR));
        return false;
    }
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "qvrreport: cannot open '%s': %s\n", file.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::fclose(in);
    return true;
}

} // namespace

int RunCompare(const TCliOptions& options, const TConfigSearch& search, IByteTarget& target,
               TStderrNotifier& notifier) {
    const TCompareSide old = CompareSideOf(options.PresetFile);
    const TCompareSide now = CompareSideOf(*options.CompareWith);
    if (!CanOpen(old.File) || !CanOpen(now.File)) {
        return CompareTrouble;
    }
    const std::unique_ptr<IComparisonWriter> writer = MakeComparisonWriter(options.Format, target);
    TPresetReport report(notifier, search);
    try {
        const TCompareTotals totals = Compare(report, old, now, *writer, UserDecimalSeparator());
        if (notifier.ErrorCount > 0) {
            return CompareTrouble;
        }
        return totals.Differ() ? CompareDiffer : CompareSame;
    } catch (const std::exception& e) {
        notifier.ShowException(ExceptionMessage(e));
    } catch (...) {
        notifier.ShowException("Unknown exception");
    }
    return CompareTrouble;
}

} // namespace qvr
