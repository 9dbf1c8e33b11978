#include "app/report/ReportCommands.h"

#include "app/report/FindBar.h"
#include "app/report/ReportView.h"

namespace qvr {

TCommandRow TReportCommands::SaveAs(std::function<void()> saveAs, std::function<bool()> shown) {
    return CommandRow(CmdSaveAs, "CmdSaveAs", "Save &As...",
                      StandardKeys(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                      std::move(saveAs), std::move(shown));
}

TCommandRow TReportCommands::PageSetup(IReportView& view, std::function<bool()> shown) {
    return CommandRow(
        CmdPageSetup, "CmdPageSetup", "Page &Setup...", {}, [&view] { view.PageSetup(); },
        std::move(shown));
}

TCommandRow TReportCommands::Print(IReportView& view, std::function<bool()> shown) {
    return CommandRow(
        CmdPrint, "CmdPrint", "&Print...", StandardKeys(QKeySequence::Print, Qt::CTRL | Qt::Key_P),
        [&view] { view.Print(); }, std::move(shown));
}

TCommandRow TReportCommands::Copy(IReportView& view) {
    return CommandRow(CmdCopy, "CmdCopy", "&Copy", {QKeySequence(Qt::CTRL | Qt::Key_C)},
                      [&view] { view.Copy(); });
}

TCommandRow TReportCommands::SelectAll(IReportView& view) {
    return CommandRow(CmdSelectAll, "CmdSelectAll", "Select &All",
                      {QKeySequence(Qt::CTRL | Qt::Key_A)}, [&view] { view.SelectAll(); });
}

TCommandRow TReportCommands::Find(TFindBar& finder) {
    return CommandRow(CmdFind, "CmdFind", "&Find...",
                      StandardKeys(QKeySequence::Find, Qt::CTRL | Qt::Key_F),
                      [&finder] { finder.Open(); });
}

} // namespace qvr
