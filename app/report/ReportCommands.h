#pragma once

#include "app/shell/CommandTable.h"

#include <functional>

namespace qvr {

class IReportView;
class TFindBar;

// The commands on a shown report, alike in every window that shows one: the same captions,
// keys, names and actions on that window's view. `shown` says whether there is a report.
namespace ReportCommands {

// Save As runs `saveAs` (which proposes the window's own name and inputs).
TCommandRow SaveAs(std::function<void()> saveAs, std::function<bool()> shown);
TCommandRow PageSetup(IReportView& view, std::function<bool()> shown);
TCommandRow Print(IReportView& view, std::function<bool()> shown);
TCommandRow Copy(IReportView& view);
TCommandRow SelectAll(IReportView& view);
TCommandRow Find(TFindBar& finder);

} // namespace ReportCommands

} // namespace qvr
