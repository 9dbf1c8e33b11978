#include "app/WebReportView.h"

#include "app/AnsiText.h"
#include "app/Dialogs.h"
#include "app/PdfPrinter.h"
#include "platform/SameFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWebEngineFindTextResult>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>

namespace qvr {

void TReportRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (ReportUrl.isEmpty() || info.requestUrl().adjusted(QUrl::RemoveFragment) != ReportUrl) {
        info.block(true);
    }
}

TReportPage::TReportPage(QWebEngineProfile& profile, const QUrl& reportUrl)
    : QWebEnginePage(&profile), ReportUrl(reportUrl) {}

bool TReportPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    return isMainFrame && type != NavigationTypeLinkClicked &&
           type != NavigationTypeFormSubmitted && !ReportUrl.isEmpty() &&
           url.adjusted(QUrl::RemoveFragment) == ReportUrl;
}

TWebReportView::TWebReportView(IDialogs& dialogs)
    : Dialogs(dialogs), Page(Profile, Guard.ReportUrl), Printer(QPrinter::HighResolution) {
    // An off-the-record profile: nothing of the view is kept on disk.
    Profile.setUrlRequestInterceptor(&Guard);
    Profile.setHttpCacheType(QWebEngineProfile::NoCache);
    Profile.setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    QWebEngineSettings* settings = Page.settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    // The report has no charset of its own: its bytes are code page 1252.
    settings->setDefaultTextEncoding(QStringLiteral("windows-1252"));

    SurfaceHint.setParent(&PresetBrowser);
    SurfaceHint.hide();
    PresetBrowser.setObjectName(QStringLiteral("PresetBrowser"));
    PresetBrowser.setPage(&Page);
    PresetBrowser.setFocusPolicy(Qt::StrongFocus);
    PresetBrowser.setContextMenuPolicy(Qt::ActionsContextMenu);
    PresetBrowser.addAction(Page.action(QWebEnginePage::Copy));
    PresetBrowser.addAction(Page.action(QWebEnginePage::SelectAll));
    QObject::connect(&Page, &QWebEnginePage::loadFinished, &Page,
                     [this](bool ok) { LoadFinished(ok); });
}

TWebReportView::~TWebReportView() {
    // The view goes before its page, the page before its profile (member order).
    PresetBrowser.setPage(nullptr);
}

QWidget& TWebReportView::Widget() {
    return PresetBrowser;
}

void TWebReportView::Navigate(const QString& reportFile, TScroll scroll) {
    ReportFile = reportFile;
    Guard.ReportUrl = QUrl::fromLocalFile(QFileInfo(reportFile).absoluteFilePath());
    ScrollTo.reset();
    PresetTo.reset();
    Loading = true;
    const int number = ++Navigation;
    if (scroll == TScroll::Keep && !Page.url().isEmpty()) {
        // Where the report shown is scrolled to, then the new one. The page's own scripts
        // are off; these run apart from them.
        Page.runJavaScript(QStringLiteral("[window.scrollX, window.scrollY]"),
                           QWebEngineScript::ApplicationWorld, [this, number](const QVariant& at) {
                               if (number != Navigation) {
                                   return; // sent elsewhere meanwhile
                               }
                               const QVariantList xy = at.toList();
                               if (xy.size() == 2) {
                                   ScrollTo = QPointF(xy[0].toDouble(), xy[1].toDouble());
                               }
                               Page.load(Guard.ReportUrl);
                           });
        return;
    }
    Page.load(Guard.ReportUrl);
}

void TWebReportView::LoadFinished(bool ok) {
    Loading = false;
    // A new document may start at the normal size: the chosen one holds for every report.
    Page.setZoomFactor(Zoom);
    if (ok && ScrollTo) {
        Page.runJavaScript(
            QStringLiteral("window.scrollTo(%1, %2);").arg(ScrollTo->x()).arg(ScrollTo->y()),
            QWebEngineScript::ApplicationWorld);
    }
    ScrollTo.reset();
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
    Page.runJavaScript(
        QStringLiteral("(function() { const h = document.querySelectorAll('th.preset')[%1];"
                       " if (h) { h.scrollIntoView(true); } })();")
            .arg(position),
        QWebEngineScript::ApplicationWorld);
}

void TWebReportView::Find(const QString& text, bool backward, bool caseSensitive,
                          TFoundHandler found) {
    QWebEnginePage::FindFlags flags;
    if (backward) {
        flags |= QWebEnginePage::FindBackward;
    }
    if (caseSensitive) {
        flags |= QWebEnginePage::FindCaseSensitively;
    }
    Page.findText(text, flags, [found](const QWebEngineFindTextResult& result) {
        if (found) {
            found(result.activeMatch(), result.numberOfMatches());
        }
    });
}

void TWebReportView::SetZoom(double factor) {
    Zoom = factor;
    Page.setZoomFactor(factor);
}

void TWebReportView::ShowFailure(const QString& title, const QString& text) {
    Dialogs.ShowMessageOver(*PresetBrowser.window(), TMessageKind::Warning, title, text);
}

void TWebReportView::SaveAs(const QString& proposedFile, const std::vector<std::string>& inputs) {
    if (ReportFile.isEmpty()) {
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
        Page.printToPdf(
            [this, target](const QByteArray& document) {
                const QString failure = document.isEmpty()
                                            ? QStringLiteral("no PDF could be made of the report")
                                            : WritePdfFile(document, target);
                if (!failure.isEmpty()) {
                    ShowFailure(QStringLiteral("Save As"),
                                QStringLiteral("The report could not be saved to %1: %2.")
                                    .arg(target, failure));
                }
                emit PdfSaved(target, failure.isEmpty());
            },
            Printer.pageLayout());
        return;
    }
    // The saved document is the report file byte for byte.
    QFile source(ReportFile);
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
    if (!Dialogs.RunPrintDialog(*PresetBrowser.window(), Printer)) {
        return;
    }
    // The page as the web view prints it, text and all; only the chosen pages.
    const bool toFile = Printer.outputFormat() == QPrinter::PdfFormat;
    const QString file = Printer.outputFileName();
    Page.printToPdf(
        [this, toFile, file](const QByteArray& document) {
            QString failure;
            if (document.isEmpty()) {
                failure = QStringLiteral("no PDF could be made of the report");
            } else if (toFile) {
                failure = WritePdfFile(document, file);
            } else {
                failure = SendToPrinter(document, Printer, QFileInfo(ReportFile).fileName());
            }
            if (!failure.isEmpty()) {
                ShowFailure(QStringLiteral("Print"),
                            QStringLiteral("The report could not be printed: %1.").arg(failure));
            }
            emit Printed(failure.isEmpty());
        },
        Printer.pageLayout(), Printer.pageRanges());
}

void TWebReportView::Copy() {
    Page.triggerAction(QWebEnginePage::Copy);
}

void TWebReportView::SelectAll() {
    Page.triggerAction(QWebEnginePage::SelectAll);
}

} // namespace qvr
