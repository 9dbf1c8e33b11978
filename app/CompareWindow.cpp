#include "app/CompareWindow.h"

#include "app/AnsiText.h"
#include "app/ProgramIcon.h"
#include "app/ReportFile.h"
#include "app/ReportSource.h"
#include "base/Numbers.h"
#include "report/CompareWriters.h"
#include "report/PresetReport.h"

#include <QApplication>
#include <QFile>
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
    : CmdSaveAs(QStringLiteral("Save &As..."), this), CmdPrint(QStringLiteral("&Print..."), this),
      CmdClose(QStringLiteral("&Close"), this), CmdCopy(QStringLiteral("&Copy"), this),
      CmdSelectAll(QStringLiteral("Select &All"), this), CmdFind(QStringLiteral("&Find..."), this),
      CmdFile(QStringLiteral("&File"), this), CmdEdit(QStringLiteral("&Edit"), this), Panel(this),
      Layout(&Panel), ReportView(dialogs), Finder(ReportView, *this) {
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowIcon(ProgramIcon());
    resize(736, 456);
    Layout.setContentsMargins(12, 12, 12, 12);
    Layout.addWidget(&ReportView.Widget());
    Layout.addWidget(&Finder);
    setCentralWidget(&Panel);

    menuBar()->addMenu(&CmdFile);
    CmdFile.addAction(&CmdSaveAs);
    CmdFile.addAction(&CmdPrint);
    CmdFile.addSeparator();
    CmdFile.addAction(&CmdClose);
    menuBar()->addMenu(&CmdEdit);
    CmdEdit.addAction(&CmdCopy);
    CmdEdit.addAction(&CmdSelectAll);
    CmdEdit.addAction(&CmdFind);
    CmdSaveAs.setShortcut(QKeySequence::SaveAs);
    CmdPrint.setShortcut(QKeySequence::Print);
    CmdClose.setShortcut(QKeySequence::Close);
    CmdCopy.setShortcut(QKeySequence::Copy);
    CmdSelectAll.setShortcut(QKeySequence::SelectAll);
    CmdFind.setShortcut(QKeySequence::Find);
    connect(&CmdSaveAs, &QAction::triggered, this,
            [this] { ReportView.SaveAs(QStringLiteral("comparison.html"), Inputs); });
    connect(&CmdPrint, &QAction::triggered, this, [this] { ReportView.Print(); });
    connect(&CmdClose, &QAction::triggered, this, &QWidget::close);
    connect(&CmdCopy, &QAction::triggered, this, [this] { ReportView.Copy(); });
    connect(&CmdSelectAll, &QAction::triggered, this, [this] { ReportView.SelectAll(); });
    connect(&CmdFind, &QAction::triggered, this, [this] { Finder.Open(); });
}

TCompareWindow::~TCompareWindow() {
    if (!DocumentFile.empty()) {
        QFile::remove(FromFileNameBytes(DocumentFile));
    }
}

void TCompareWindow::Show(const std::string& document, const std::string& documentFile,
                          const QString& title) {
    DocumentFile = documentFile;
    // A file that cannot be written shows whatever is there, as the main view does.
    WriteReportFile(DocumentFile, document);
    setWindowTitle(title);
    ReportView.Navigate(FromFileNameBytes(DocumentFile), TScroll::Top);
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
