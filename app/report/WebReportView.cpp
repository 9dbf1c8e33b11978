#include "app/report/WebReportView.h"

#include "app/common/AnsiText.h"
#include "app/common/Dialogs.h"
#include "app/printing/PdfPrinter.h"
#include "app/shell/GraphicsCheck.h"
#include "platform/SameFile.h"

#include <QChildEvent>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWheelEvent>

namespace qvr {

namespace {

// How often a loading report is asked how far it has come.
constexpr int ProgressPollMs = 250;

// How often a shown report is asked where it is read. The web engine tells the place only when
// asked, and a renderer that has ended can no longer be asked.
constexpr int PlacePollMs = 500;

// The largest report printed as one document (about 3,500 presets, many times what a device
// holds): the renderer lays out every page of a print at once and needs about a hundred times
// the document's size for it, and one several times larger ran it out of memory.
constexpr qint64 MaxPrintBytes = 8 * 1024 * 1024;

// The largest report the page is given from memory: the web engine takes such a document as
// a data address of at most 2 MB, base64 coded (4 bytes for every 3).
constexpr size_t MaxDocumentBytes = 1500 * 1000;

QString TooLargeToPrint(qint64 bytes) {
    return QStringLiteral("the report is too large to print as one document (%1 MB; at most %2 "
                          "MB). Print a part of the file: split it, or open one preset")
        .arg((bytes + 1024 * 1024 - 1) / (1024 * 1024))
        .arg(MaxPrintBytes / (1024 * 1024));
}

} // namespace

TWebReportView::TWebReportView(IDialogs& dialogs)
    : Dialogs(dialogs), Printer(QPrinter::HighResolution) {
    // An off-the-record profile: nothing of the view is kept on disk.
    Profile.setUrlRequestInterceptor(&Guard);
    Profile.setHttpCacheType(QWebEngineProfile::NoCache);
    Profile.setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    if (QuickDrawsThroughOpenGL()) {
        SurfaceHint = std::make_unique<QOpenGLWidget>(&PresetBrowser);
        SurfaceHint->hide();
    }
    PresetBrowser.setObjectName(QStringLiteral("PresetBrowser"));
    PresetBrowser.setFocusPolicy(Qt::StrongFocus);
    PresetBrowser.setContextMenuPolicy(Qt::ActionsContextMenu);
    // The page's drawing widget comes and goes with its renderer: each one is watched.
    PresetBrowser.installEventFilter(this);
    NewPage();
    ProgressPoll.setInterval(ProgressPollMs);
    QObject::connect(&ProgressPoll, &QTimer::timeout, &ProgressPoll, [this] { PollProgress(); });
    PlacePoll.setInterval(PlacePollMs);
    QObject::connect(&PlacePoll, &QTimer::timeout, &PlacePoll, [this] { PollPlace(); });
    PlacePoll.start();
}

void TWebReportView::NewPage() {
    PagePtr = std::make_unique<TReportPage>(Profile, Guard.ReportUrl);
    TReportPage& Page = *PagePtr;

    PresetBrowser.setPage(&Page);
    PresetBrowser.addAction(Page.action(QWebEnginePage::Copy));
    PresetBrowser.addAction(Page.action(QWebEnginePage::SelectAll));
    QObject::connect(&Page, &QWebEnginePage::loadFinished, &Page,
                     [this](bool ok) { LoadFinished(ok); });
    QObject::connect(&Page, &QWebEnginePage::renderProcessTerminated, &Page,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                         RendererEnded(status, code);
                     });
    Page.setZoomFactor(Zoom);
}

TWebReportView::~TWebReportView() {
    // The view goes before its page, the page before its profile (member order).
    PresetBrowser.setPage(nullptr);
}

QWidget& TWebReportView::Widget() {
    return PresetBrowser;
}

bool TWebReportView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && watched == &PresetBrowser) {
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    } else if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers().testFlag(Qt::ControlModifier) && wheel->angleDelta().y() != 0) {
            if (Events.ZoomStep) {
                Events.ZoomStep(wheel->angleDelta().y() > 0 ? +1 : -1);
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TWebReportView::Navigate(const QString& reportFile, TScroll scroll) {
    ReportFile = reportFile;
    const QUrl file = QUrl::fromLocalFile(QFileInfo(reportFile).absoluteFilePath());
    PresetTo.reset();
    const int number = ++Navigation;
    StartLoading();
    const bool shown = !Page().url().isEmpty() && Page().url() == file;
    Guard.ReportUrl = file;
    if (scroll == TScroll::Top || !shown) {
        ReadingPlace = {};
        Page().StopKeepingPlace(); // a new report starts at its top
        Page().load(Guard.ReportUrl);
        return;
    }
    // The report shown again at the same address, where it is now.
    Page().AskPlace([this, number](std::optional<QPointF> place) {
        if (number != Navigation) {
            return; // sent elsewhere meanwhile
        }
        if (place) {
            ReadingPlace = *place;
            Page().KeepPlace(*place);
        } else {
            Page().StopKeepingPlace();
        }
        Page().load(Guard.ReportUrl);
    });
}

bool TWebReportView::ShowDocument(const std::string& document) {
    if (document.size() > MaxDocumentBytes) {
        return false;
    }
    ReportFile.clear();
    Guard.ReportUrl.clear(); // nothing loads from a file meanwhile
    ReadingPlace = {};
    Page().StopKeepingPlace();
    PresetTo.reset();
    ++Navigation;
    StartLoading();
    Page().ContentComing = true;
    Page().setContent(QByteArray::fromStdString(document),
                      QStringLiteral("text/html;charset=windows-1252"));
    return true;
}

void TWebReportView::StartLoading() {
    Loading = true;
    ProgressPoll.start();
}

void TWebReportView::PollProgress() {
    const int number = Navigation;
    Page().runJavaScript(QStringLiteral("document.getElementsByTagName('th').length"),
                         QWebEngineScript::ApplicationWorld, [this, number](const QVariant& count) {
                             if (Loading && number == Navigation && Events.Progress) {
                                 Events.Progress(count.toInt());
                             }
                         });
}

void TWebReportView::PollPlace() {
    // A renderer that has ended (its box may be waiting for the user) is not asked: the place
    // it had is kept for the next one.
    if (Loading || !Guard.ReportUrl.isValid() || !PresetBrowser.isVisible() ||
        Page().renderProcessPid() == 0) {
        return;
    }
    const int number = Navigation;
    Page().AskPlace([this, number](std::optional<QPointF> place) {
        if (place && !Loading && number == Navigation) {
            ReadingPlace = *place;
        }
    });
}

void TWebReportView::RendererEnded(QWebEnginePage::RenderProcessTerminationStatus status,
                                   int code) {
    if (status == QWebEnginePage::NormalTerminationStatus) {
        return;
    }
    const QString why = RendererEndText(status, code);
    const QPointF place = ReadingPlace;
    Loading = false;
    ProgressPoll.stop();
    // A renderer that ends again before the report is back would end every time: the report
    // is shown again only when it was shown since the last restart.
    const bool again = Guard.ReportUrl.isValid() && !Restarting;
    Restarting = again;
    // The box waits for the user: it is shown from the event loop, not from inside the page's
    // signal.
    QTimer::singleShot(0, &PresetBrowser, [this, why, again, place] {
        if (Events.RendererEnded) {
            Events.RendererEnded(why);
        }
        Dialogs.ShowMessageOver(
            *PresetBrowser.window(), TMessageKind::Error, QStringLiteral("Report view"),
            again ? QStringLiteral("The page renderer of the report view %1. It has been started "
                                   "again and shows the report anew.\nIf this happens again, try "
                                   "fewer columns or a smaller file; Save As keeps the report as "
                                   "HTML to open elsewhere.")
                        .arg(why)
                  : QStringLiteral("The page renderer of the report view %1 again with this "
                                   "report, which is therefore not shown.\nTry fewer columns or "
                                   "a smaller file; Save As keeps the report as HTML to open "
                                   "elsewhere.")
                        .arg(why));
        if (again) {
            StartLoading();
            // The new renderer shows the report where it was being read.
            if (place.isNull()) {
                Page().StopKeepingPlace();
            } else {
                Page().KeepPlace(place);
            }
            Page().load(Guard.ReportUrl);
        }
    });
}

void TWebReportView::LoadFinished(bool ok) {
    // There is no going back to an earlier report: the page keeps no earlier document alive.
    Page().history()->clear();
    Loading = false;
    Restarting = Restarting && !ok;
    ProgressPoll.stop();
    if (Events.Loaded) {
        Events.Loaded(ok);
    }
    emit Loaded(ok);
    // A new document may start at the normal size: the chosen one holds for every report.
    Page().setZoomFactor(Zoom);
    if (ok && PresetTo) {
        ShowPreset(*PresetTo);
    }
    PresetTo.reset();
}

void TWebReportView::ShowPreset(int position) {
    if (Loading) {
        PresetTo = position;
        return;
    }
    // The report has no anchors: its preset headings are its th cells, one per preset, in file
    // order. This runs apart from the page's own scripts, which are off.
    Page().runJavaScript(
        QStringLiteral("(function() { const h = document.querySelectorAll('th.preset')[%1];"
                       " if (h) { h.scrollIntoView(true); } })();")
            .arg(position),
        QWebEngineScript::ApplicationWorld);
}

void TWebReportView::Find(const QString& text, bool backward, bool caseSensitive,
                          TFoundHandler found) {
    if (Loading) {
        Page().ReleasePlace(); // the match is shown, not the place the report is loading at
    }
    QWebEnginePage::FindFlags flags;
    if (backward) {
        flags |= QWebEnginePage::FindBackward;
    }
    if (caseSensitive) {
        flags |= QWebEnginePage::FindCaseSensitively;
    }
    Page().findText(text, flags, [found](const QWebEngineFindTextResult& result) {
        if (found) {
            found(result.activeMatch(), result.numberOfMatches());
        }
    });
}

void TWebReportView::SetZoom(double factor) {
    Zoom = factor;
    Page().setZoomFactor(factor);
}

void TWebReportView::ShowFailure(const QString& title, const QString& text) {
    Dialogs.ShowMessageOver(*PresetBrowser.window(), TMessageKind::Warning, title, text);
}

void TWebReportView::SaveAs(const QString& proposedFile, const std::vector<std::string>& inputs) {
    if (SavedFile().isEmpty()) {
        return;
    }
    const QString html = QStringLiteral("HTML document (*.html *.htm)");
    const QString pdf = QStringLiteral("PDF document (*.pdf)");
    TSaveDialogState save{QStringLiteral("Save As"), {html, pdf}, proposedFile, html};
    if (!Dialogs.RunSaveDialog(*PresetBrowser.window(), save)) {
        return;
    }
    const QString target = save.FileName;
    const QString filter = save.Filter;
    const std::string targetPath = ToFileNameBytes(target);
    for (const std::string& input : inputs) {
        if (IsSameFile(targetPath, input)) {
            ShowFailure(QStringLiteral("Save As"),
                        QStringLiteral("The report cannot be saved to %1: it is an input "
                                       "file of the report.")
                            .arg(target));
            return;
        }
    }
    if (filter == pdf || target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        if (const qint64 bytes = QFileInfo(SavedFile()).size(); bytes > MaxPrintBytes) {
            ShowFailure(QStringLiteral("Save As"),
                        QStringLiteral("The report could not be saved to %1: %2.")
                            .arg(target, TooLargeToPrint(bytes)));
            emit PdfSaved(target, false);
            return;
        }
        MakePdf(Printer.pageLayout(), {},
                [this, target](const QByteArray& document, QString failure) {
                    if (failure.isEmpty()) {
                        failure = WritePdfFile(document, target);
                    }
                    if (!failure.isEmpty()) {
                        ShowFailure(QStringLiteral("Save As"),
                                    QStringLiteral("The report could not be saved to %1: %2.")
                                        .arg(target, failure));
                    }
                    emit PdfSaved(target, failure.isEmpty());
                });
        return;
    }
    // The saved document is the report file byte for byte.
    QFile source(SavedFile());
    QSaveFile out(target);
    if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(source.readAll()) < 0 || !out.commit()) {
        ShowFailure(QStringLiteral("Save As"),
                    QStringLiteral("The report could not be saved to %1.").arg(target));
    }
}

void TWebReportView::PageSetup() {
    Dialogs.RunPageSetupDialog(*PresetBrowser.window(), Printer);
}

void TWebReportView::Print() {
    // Refused before the dialog: nothing the dialog offers makes it smaller.
    if (const qint64 bytes = QFileInfo(SavedFile()).size(); bytes > MaxPrintBytes) {
        ShowFailure(
            QStringLiteral("Print"),
            QStringLiteral("The report could not be printed: %1.").arg(TooLargeToPrint(bytes)));
        emit Printed(false);
        return;
    }
    if (!Dialogs.RunPrintDialog(*PresetBrowser.window(), Printer)) {
        return;
    }
    // The page as the web view prints it, text and all; only the chosen pages.
    const bool toFile = Printer.outputFormat() == QPrinter::PdfFormat;
    const QString file = Printer.outputFileName();
    MakePdf(Printer.pageLayout(), Printer.pageRanges(),
            [this, toFile, file](const QByteArray& document, const QString& failure) {
                if (!failure.isEmpty() || toFile) {
                    PrintDone(failure.isEmpty() ? WritePdfFile(document, file) : failure);
                    return;
                }
                // The print system may take its time: the window goes on meanwhile.
                std::erase_if(PrintJobs, [](const auto& job) { return job->Finished(); });
                PrintJobs.push_back(std::make_unique<TPrintJob>(
                    document, Printer, QFileInfo(SavedFile()).fileName(),
                    [this](const QString& failure) { PrintDone(failure); }));
            });
}

void TWebReportView::PrintDone(const QString& failure) {
    if (!failure.isEmpty()) {
        ShowFailure(QStringLiteral("Print"),
                    QStringLiteral("The report could not be printed: %1.").arg(failure));
    }
    emit Printed(failure.isEmpty());
}

void TWebReportView::MakePdf(const QPageLayout& layout, const QPageRanges& ranges,
                             TPdfMaker::TDone done) {
    std::erase_if(PdfMakers, [](const auto& maker) { return maker->Finished(); });
    PdfMakers.emplace_back(
        std::make_unique<TPdfMaker>(SavedFile(), layout, ranges, std::move(done)).release());
}

qint64 TWebReportView::PdfMakerProcess() const {
    return PdfMakers.empty() || PdfMakers.back()->Finished() ? 0 : PdfMakers.back()->ProcessId();
}

void TWebReportView::Copy() {
    Page().triggerAction(QWebEnginePage::Copy);
}

void TWebReportView::SelectAll() {
    Page().triggerAction(QWebEnginePage::SelectAll);
}

} // namespace qvr
