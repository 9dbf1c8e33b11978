#include "app/report/ReportCommands.h"

#include "app/report/FindBar.h"
#include "app/report/ReportView.h"

namespace qvr::ReportCommands {

TCommandRow SaveAs(std::function<void()> saveAs, std::function<bool()> shown) {
    return CommandRow("CmdSaveAs", "Save &As...",
                      StandardKeys(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                      std::move(saveAs), std::move(shown));
}

TCommandRow PageSetup(IReportView& view, std::function<bool()> shown) {
    return CommandRow(
        "CmdPageSetup", "Page &Setup...", {}, [&view] { view.PageSetup(); }, std::move(shown));
}

TCommandRow Print(IReportView& view, std::function<bool()> shown) {
    return CommandRow(
        "CmdPrint", "&Print...", StandardKeys(QKeySequence::Print, Qt::CTRL | Qt::Key_P),
        [&view] { view.Print(); }, std::move(shown));
}

TCommandRow Copy(IReportView& view) {
    return CommandRow("CmdCopy", "&Copy", {QKeySequence(Qt::CTRL | Qt::Key_C)},
                      [&view] { view.Copy(); });
}

TCommandRow SelectAll(IReportView& view) {
    return CommandRow("CmdSelectAll", "Select &All", {QKeySequence(Qt::CTRL | Qt::Key_A)},
                      [&view] { view.SelectAll(); });
}

TCommandRow Find(TFindBar& finder) {
    return CommandRow("CmdFind", "&Find...", StandardKeys(QKeySequence::Find, Qt::CTRL | Qt::Key_F),
                      [&finder] { finder.Open(); });
}

} // namespace qvr::ReportCommands
