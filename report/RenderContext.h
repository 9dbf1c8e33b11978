#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/RenderState.h"
#include "report/ReportLines.h"

#include <string>

namespace qvr {

// Marker lines of the report's line list: a cell break starts a new table
// cell, a row end pads the current row with empty cells.
inline const std::string CellBreakMarker = "<br>";
inline const std::string RowEndMarker = "&nbsp;";

// What a renderer works with while one file is read.
struct TRenderContext {
    const TQvrConfig& Config;
    TReportLines& Lines;
    TRenderState& State;
    IUserNotifier& Notifier;
    char DecimalSeparator = '.';
};

} // namespace qvr
