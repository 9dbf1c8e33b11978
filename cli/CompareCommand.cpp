#include "cli/CompareCommand.h"

#include "base/Numbers.h"
#include "cli/PresetInput.h"
#include "report/CompareWriters.h"

#include <cstring>

namespace qvr {

TCompareSide CompareOperandSide(const std::string& operand) {
    TCompareSide side = CompareSideOf(operand);
    if (side.File == "-") {
        side.File = "/dev/stdin"; // read by name like any side, from where it stands
    }
    return side;
}

int RunCompare(const TCliOptions& options, const TConfigSearch& search, IByteTarget& target,
               TStderrNotifier& notifier) {
    const TCompareSide old = CompareOperandSide(options.PresetFile);
    const TCompareSide now = CompareOperandSide(*options.CompareWith);
    // A file that cannot be read is named with the reason, as for a report.
    for (const std::string& file : {old.File, now.File}) {
        if (const int error = TPresetInput(file).Error(); error != 0) {
            notifier.ShowError("cannot open " + file + ": " + std::strerror(error));
            return CompareTrouble;
        }
    }
    const std::unique_ptr<IComparisonWriter> writer = MakeComparisonWriter(options.Format, target);
    try {
        const TCompareTotals totals =
            Compare(notifier, search, old, now, *writer, UserDecimalSeparator());
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
