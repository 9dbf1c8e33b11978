#pragma once

#include "base/ByteTarget.h"
#include "report/Comparison.h"
#include "report/ReportFormat.h"

#include <memory>

namespace qvr {

// A writer of comparisons in `format` (text, html or json) to `target`; none
// for a format that has no comparison form (csv).
//   text: UTF-8, one block per preset that differs ("Preset #02  Old → New",
//         then "  Module: Parameter: old → new", "  Module: + Name = value",
//         "  + Module" ...), and a last line with the counts.
//   html: one table in the report's style, a row per change, the values that
//         changed marked; texts as the files hold them (windows-1252).
//   json: {"model", "presets": [{"old", "new", "changes": [...]}], and the counts}.
std::unique_ptr<IComparisonWriter> MakeComparisonWriter(TReportFormat format, IByteTarget& target);

// One change as the text comparison lists it under its preset, in UTF-8 with
// control characters escaped, indented and with its newline.
std::string ChangeLineText(const TChange& change);

} // namespace qvr
