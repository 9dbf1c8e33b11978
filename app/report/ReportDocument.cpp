#include "app/report/ReportDocument.h"

#include "app/common/AnsiText.h"
#include "app/report/ReportFile.h"
#include "app/report/StatusLine.h"
#include "base/ProgramConvention.h"
#include "platform/InputFile.h"
#include "report/ColumnCount.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace qvr {

namespace {

// What the user is told a received dump that was not saved is: its file is the viewer's own.
const char* const ReceivedDumpName = "received dump";

// Shows the hourglass cursor for the life of a load.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The part's file beside the report file: "__tmp__.html" gives "__tmp__.part.html".
std::string PartFileOf(const std::string& reportFile) {
    if (reportFile.empty()) {
        return {};
    }
    const size_t dot = reportFile.rfind('.');
    const size_t slash = reportFile.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return reportFile + ".part";
    }
    return reportFile.substr(0, dot) + ".part" + reportFile.substr(dot);
}

} // namespace

TReportDocument::TReportDocument(TReportDocumentServices services)
    : Dialogs(*services.Dialogs), Owner(*services.Owner), Guard(std::move(services.Guard)),
      ReportFolder(std::move(services.ReportFolder)),
      ReportFolderProblem(std::move(services.ReportFolderProblem)), PartBytes(services.PartBytes),
      ReportView(std::move(services.View)), Watch([this] { FileChangedOnDisk(); }),
      Columns(DefaultColumnCount) {
    Source = services.MakeReportSource(Notices);
    TViewEvents events;
    events.Progress = [this](int headings) {
        if (PagePresets > 0) {
            emit Loading(LoadingStatusText(std::min(headings, PagePresets), PagePresets));
        }
    };
    events.Loaded = [this](bool) { PageShown(); };
    events.RendererEnded = [this](const QString&) { PageShown(); };
    events.ZoomStep = [this](int step) { emit ZoomStep(step); };
    ReportView->SetEvents(std::move(events));
}

TReportDocument::~TReportDocument() {
    // A page that reports while it is torn down must find no one listening.
    ReportView->SetEvents({});
}

void TReportDocument::Start(const std::string& reportFileTitle) {
    ReportFile = ReportFolder.empty() ? std::string() : ReportFolder + reportFileTitle;
    PartFile = PartFileOf(ReportFile);
}

void TReportDocument::Close() {
    for (const std::string* file : {&ReportFile, &PartFile}) {
        if (!file->empty()) {
            QFile::remove(FromFileNameBytes(*file));
        }
    }
}

void TReportDocument::Load(const std::string& fileName, TScroll scroll, TReportOrigin origin) {
    CurrentFile = fileName;
    From = origin;
    std::string document;
    {
        TWaitCursor wait;
        Notices.StartLoad();
        LoadingFile = origin == TReportOrigin::ReceivedDump ? ReceivedDumpName : fileName;
        const struct TLoaded {
            std::string& File;
            ~TLoaded() { File.clear(); }
        } loaded{LoadingFile};
        document = Source->Build(fileName, Columns);
    }
    const TReportSummary summary = Source->LastSummary();
    NextPresets = Source->LastPresets();
    const size_t partsBefore = Parts.size();
    Parts = SplitIntoParts(static_cast<int32_t>(NextPresets.size()), document.size(), PartBytes);
    // A reload stays in the part read, where the file kept its parts.
    const int part = scroll == TScroll::Keep && Parts.size() == partsBefore ? ShownPart : 0;
    const QString name = origin == TReportOrigin::ReceivedDump
                             ? QStringLiteral("Received dump (not saved)")
                             : FromFileNameBytes(SourceName(fileName));
    FileStatus = fileName.empty()
                     ? QString()
                     : LoadStatusText(name, summary, Notices.ErrorCount(), Notices.WarningCount());
    // A file of the viewer's own, or standard input, is no file to watch.
    Watch.Watch(origin == TReportOrigin::File ? FromFileNameBytes(fileName) : QString());

    if (Parts.size() > 1) {
        // The whole report stays in its file for Save As and Print; the view gets a part.
        const bool whole = WriteReportFile(ReportFile, document);
        ReportView->SetWholeReport(whole ? FromFileNameBytes(ReportFile) : QString());
        document.clear();
        document.shrink_to_fit();
        ShowPartAt(part, whole, scroll);
        return;
    }
    ShownPart = 0;
    ReportView->SetWholeReport({});
    PagePresets = summary.PresetCount;
    NextStatus = FileStatus;
    const bool written = WriteReportFile(ReportFile, document);
    FromFile = written;
    Present(document, ReportFile, written, scroll);
}

bool TReportDocument::Open(const std::string& fileName, TScroll scroll) {
    const std::string reason = WhyNotReadable(fileName);
    if (!reason.empty()) {
        Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Error"),
                            QStringLiteral("Cannot open %1: %2.")
                                .arg(FromFileNameBytes(fileName), FromMessageText(reason)));
        return false;
    }
    Load(fileName, scroll);
    emit Opened(fileName);
    return true;
}

void TReportDocument::Reload() {
    if (CurrentFile.empty()) {
        return;
    }
    switch (From) {
    case TReportOrigin::File:
        Open(CurrentFile, TScroll::Keep);
        break;
    case TReportOrigin::StandardInput: // kept in memory: read once
    case TReportOrigin::ReceivedDump:  // the viewer's own copy, never a file the user chose
        Load(CurrentFile, TScroll::Keep, From);
        break;
    }
}

void TReportDocument::ShowMade(const std::string& document, const std::string& reportFile) {
    ReportFile = reportFile;
    PartFile.clear();
    Parts = {{0, 0}};
    ShownPart = 0;
    PagePresets = 0;
    NextStatus.clear();
    NextPresets.clear();
    ReportView->SetWholeReport({});
    const bool written = WriteReportFile(ReportFile, document);
    FromFile = written;
    Present(document, ReportFile, written, TScroll::Top);
}

void TReportDocument::ShowPreset(int position) {
    if (Parts.size() <= 1) {
        ReportView->ShowPreset(position);
        return;
    }
    const int part = PartOf(Parts, position);
    if (part < 0) {
        return;
    }
    if (part != ShownPart) {
        ShowPartAt(part, FromFile, TScroll::Top);
    }
    ReportView->ShowPreset(position - Parts[static_cast<size_t>(part)].First);
}

void TReportDocument::ShowPart(int part) {
    if (Parts.size() > 1 && part >= 0 && part < PartCount() && part != ShownPart) {
        ShowPartAt(part, FromFile, TScroll::Top);
    }
}

void TReportDocument::ShowPartAt(int part, bool wholeWritten, TScroll scroll) {
    ShownPart = part;
    const TPresetRange range = Parts[static_cast<size_t>(part)];
    std::string document;
    {
        TWaitCursor wait;
        document = Source->BuildPart(CurrentFile, Columns, range);
    }
    PagePresets = range.End - range.First;
    NextStatus = FileStatus + PartStatus();
    const bool written = WriteReportFile(PartFile, document);
    FromFile = wholeWritten && written;
    Present(document, PartFile, written, scroll);
}

void TReportDocument::Present(const std::string& document, const std::string& file, bool written,
                              TScroll scroll) {
    PagePending = true;
    if (written) {
        ReportView->Navigate(FromFileNameBytes(file), scroll);
        return;
    }
    // Without its file the report can still be shown from memory, but not printed or saved.
    const QString why = file.empty()
                            ? QStringLiteral("no private folder for it could be made (%1)")
                                  .arg(FromMessageText(ReportFolderProblem))
                            : QStringLiteral("%1 cannot be written").arg(FromFileNameBytes(file));
    const bool shown = ReportView->ShowDocument(document);
    if (!shown) {
        if (!NextStatus.isEmpty()) {
            NextStatus += QStringLiteral(" \u2014 not shown");
        }
        PageShown();
    }
    Dialogs.ShowMessageOver(
        Owner, TMessageKind::Error, QStringLiteral("Error"),
        shown ? QStringLiteral("The report is shown from memory: %1.\nSave As and Print need "
                               "its file and stay off until a report can be written.")
                    .arg(why)
              : QStringLiteral("The report cannot be shown: %1.\nIt is too large to be shown "
                               "without its file; qvrreport writes the same report to a file "
                               "of your choice.")
                    .arg(why));
}

void TReportDocument::PageShown() {
    if (PagePending) {
        PagePending = false;
        Status = NextStatus;
        ShownPresets = NextPresets;
    }
    emit Shown();
}

QString TReportDocument::PartStatus() const {
    if (Parts.size() <= 1) {
        return {};
    }
    const TPresetRange range = Parts[static_cast<size_t>(ShownPart)];
    return QStringLiteral(" \u2014 part %1 of %2 (presets %3 to %4)")
        .arg(ShownPart + 1)
        .arg(Parts.size())
        .arg(range.First + 1)
        .arg(range.End);
}

void TReportDocument::FileChangedOnDisk() {
    if (QApplication::activeModalWidget() != nullptr) {
        // A box or dialog waits for the user (perhaps one of a load): read the file after it.
        QTimer::singleShot(TFileWatch::SettleMs, this, [this] { FileChangedOnDisk(); });
        return;
    }
    if (Guard) {
        Guard([this] { Reload(); });
    } else {
        Reload();
    }
}

void TReportDocument::ShowError(const std::string& text) {
    Dialogs.ShowMessageOver(Owner, TMessageKind::Error, QStringLiteral("Error"), NoticeText(text));
}

void TReportDocument::ShowWarning(const std::string& text) {
    Dialogs.ShowMessageOver(Owner, TMessageKind::Warning, QStringLiteral("Warning"),
                            NoticeText(text));
}

QString TReportDocument::NoticeText(const std::string& text) const {
    return LoadingFile.empty() ? FromMessageText(text)
                               : QStringLiteral("%1\n\nFile: %2")
                                     .arg(FromMessageText(text), FromFileNameBytes(LoadingFile));
}

} // namespace qvr
