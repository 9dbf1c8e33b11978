#pragma once

#include "base/ByteTarget.h"
#include "cli/CommandLine.h"
#include "cli/ReportNotifier.h"
#include "report/Comparison.h"
#include "report/ProductConfigLookup.h"

#include <string>

namespace qvr {

// Exit statuses of qvrreport --compare.
inline constexpr int CompareSame = 0;
inline constexpr int CompareDiffer = 1;
inline constexpr int CompareTrouble = 2;

// The side an operand of --compare names; a file "-" is standard input.
TCompareSide CompareOperandSide(const std::string& operand);

// Compares the two sides the options name and writes the comparison to
// `target` in the options' format. The messages of each load name its file; a
// file that cannot be opened, an error shown while either file is read, files
// of two models or a preset that is not there is trouble, and then nothing
// should be written out.
int RunCompare(const TCliOptions& options, const TConfigSearch& search, IByteTarget& target);

} // namespace qvr
