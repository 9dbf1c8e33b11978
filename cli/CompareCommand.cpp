#include "cli/CompareCommand.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "cli/PresetInput.h"
#include "report/CompareWriters.h"

#include <utility>

namespace qvr {

TCompareSide CompareOperandSide(const std::string& operand) {
    TCompareSide side = CompareSideOf(operand);
    if (side.File == "-") {
        side.File = "/dev/stdin"; // read by name like any side, from where it stands
    }
    // A pipe the user named is read as it comes, standard input as it is.
    side.Input = TInputRule::FileOrStream;
    return side;
}

int RunCompare(const TCliOptions& options, const TConfigSearch& search, IByteTarget& target) {
    const TCompareSide old = CompareOperandSide(options.PresetFile);
    const TCompareSide now = CompareOperandSide(*options.CompareWith);
    TReportNotifier oldNotifier(SourceName(CompareSideOf(options.PresetFile).File));
    TReportNotifier newNotifier(SourceName(CompareSideOf(*options.CompareWith).File));
    // What is about both files or neither: different models, a failure of the program.
    TStderrNotifier notifier;
    // A file that cannot be read is named with the reason, as for a report.
    for (auto [side, sideNotifier] : {std::pair{&old, &oldNotifier}, {&now, &newNotifier}}) {
        if (const std::string error = TPresetInput(side->File).Error(); !error.empty()) {
            sideNotifier->ShowError(error);
            return CompareTrouble;
        }
    }
    const std::unique_ptr<IComparisonWriter> writer = MakeComparisonWriter(options.Format, target);
    try {
        const TCompareTotals totals =
            Compare(oldNotifier, newNotifier, search, old, now, *writer, UserDecimalSeparator());
        if (oldNotifier.ErrorCount + newNotifier.ErrorCount > 0) {
            return CompareTrouble;
        }
        return totals.Differ() ? CompareDiffer : CompareSame;
    } catch (const EFileProblem& e) {
        // Each side is read by name, standard input as /dev/stdin.
        ShowFileError(e.File() == "/dev/stdin" ? "-" : e.File(), e.what());
        return CompareTrouble;
    } catch (const std::exception& e) {
        notifier.ShowException(ExceptionMessage(e));
    } catch (...) {
        notifier.ShowException("Unknown exception");
    }
    return CompareTrouble;
}

} // namespace qvr
