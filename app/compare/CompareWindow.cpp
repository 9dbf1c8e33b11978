#include "app/compare/CompareWindow.h"

#include "app/common/AnsiText.h"
#include "app/common/ProgramIcon.h"
#include "app/report/ReportFile.h"
#include "app/report/ReportSource.h"
#include "base/Numbers.h"
#include "report/CompareWriters.h"
#include "report/PresetReport.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>

#include <filesystem>

namespace qvr {

std::string BuildComparison(IUserNotifier& notifier, const TCompareSide& old,
                            const TCompareSide& now) {
    TStringTarget document;
    const auto writer = MakeComparisonWriter(TReportFormat::Html, document);
    Compare(notifier, ViewerConfigSearch(), old, now, *writer, UserDecimalSeparator());
    return std::move(document.Text);
}

namespace {

class TQuietNotifier : public IUserNotifier {
public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
};

// "backup.q3a" or "backup.q3a:2".
QString SideTitle(const TCompareSide& side) {
    QString title = QFileInfo(FromFileNameBytes(side.File)).fileName();
    if (side.Position) {
        title += QStringLiteral(" (preset %1)").arg(*side.Position + 1);
    } else if (side.Preset) {
        title += QStringLiteral(":%1").arg(*side.Preset);
    }
    return title;
}

} // namespace

std::vector<TPresetLabel> ListPresets(const std::string& file) {
    TQuietNotifier quiet;
    TPresetReport report(quiet, ViewerConfigSearch());
    return PresetLabels(report, file, UserDecimalSeparator());
}

TCompareWindow::TCompareWindow(IDialogs& dialogs)
    : Panel(this), Layout(&Panel), Document([&] {
          auto view = std::make_unique<TWebReportView>(dialogs);
          WebView = view.get();
          TReportDocumentServices services;
          services.MakeReportSource = MakePresetReportSource;
          services.View = std::move(view);
          services.Dialogs = &dialogs;
          services.Owner = this;
          return services;
      }()),
      Finder(*WebView, *this) {
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowIcon(ProgramIcon());
    resize(736, 456);
    Layout.setContentsMargins(12, 12, 12, 12);
    Layout.addWidget(&WebView->Widget());
    Layout.addWidget(&Finder);
    setCentralWidget(&Panel);

    namespace Rc = ReportCommands;
    TWebReportView& view = *WebView;
    const auto shown = [this] { return Document.ShownFromFile(); };
    Table.Build(
        *menuBar(),
        {MenuRow("CmdFile", "&File"),
         Rc::SaveAs([this] { WebView->SaveAs(QStringLiteral("comparison.html"), Inputs); }, shown),
         Rc::PageSetup(view, shown), Rc::Print(view, shown), SeparatorRow(),
         CommandRow("CmdClose", "&Close", StandardKeys(QKeySequence::Close, Qt::CTRL | Qt::Key_W),
                    [this] { close(); }),
         EndMenuRow(), MenuRow("CmdEdit", "&Edit"), Rc::Copy(view), Rc::SelectAll(view),
         Rc::Find(Finder), EndMenuRow()},
        [](const std::function<void()>& command) { command(); });
}

TCompareWindow::~TCompareWindow() {
    Document.Close();
}

void TCompareWindow::Show(const std::string& document, const std::string& documentFile,
                          const QString& title) {
    setWindowTitle(title);
    Document.ShowMade(document, documentFile);
    Table.UpdateCommands();
    show();
    raise();
    activateWindow();
}

void TCompareWindow::ShowComparison(IUserNotifier& notifier, const TCompareSide& old,
                                    const TCompareSide& now, const std::string& reportFile) {
    // The compared files and every configuration file the comparison could have read.
    Inputs = ProductConfigPaths(ViewerConfigSearch());
    Inputs.push_back(old.File);
    Inputs.push_back(now.File);
    std::string document;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct TRestore {
            ~TRestore() { QApplication::restoreOverrideCursor(); }
        } restore;
        document = BuildComparison(notifier, old, now);
    }
    const std::string file =
        std::filesystem::path(reportFile).replace_filename("__compare__.html").string();
    Show(document, file,
         QStringLiteral("Comparison of %1 with %2").arg(SideTitle(old), SideTitle(now)));
}

} // namespace qvr
