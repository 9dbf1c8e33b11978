#include "app/WebReportView.h"

#include "app/AnsiText.h"
#include "app/Dialogs.h"
#include "platform/SameFile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QSaveFile>
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

TWebReportView::TWebReportView()
    : Page(Profile, Guard.ReportUrl), Printer(QPrinter::HighResolution) {
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
}

TWebReportView::~TWebReportView() {
    // The view goes before its page, the page before its profile (member order).
    PresetBrowser.setPage(nullptr);
}

QWidget& TWebReportView::Widget() {
    return PresetBrowser;
}

void TWebReportView::Navigate(const QString& reportFile) {
    ReportFile = reportFile;
    Guard.ReportUrl = QUrl::fromLocalFile(QFileInfo(reportFile).absoluteFilePath());
    Page.load(Guard.ReportUrl);
}

void TWebReportView::SaveAs(const std::vector<std::string>& inputs) {
    if (ReportFile.isEmpty()) {
        return;
    }
    const QString html = QStringLiteral("HTML document (*.html *.htm)");
    const QString pdf = QStringLiteral("PDF document (*.pdf)");
    QString filter = html;
    QString target = QFileDialog::getSaveFileName(&PresetBrowser, QStringLiteral("Save As"),
                                                  QStringLiteral("report.html"),
                                                  html + QStringLiteral(";;") + pdf, &filter);
    if (target.isEmpty()) {
        return;
    }
    const std::string targetPath = ToFileNameBytes(target);
    for (const std::string& input : inputs) {
        if (IsSameFile(targetPath, input)) {
            ShowMessageBox(&PresetBrowser, TMessageKind::Warning, QStringLiteral("Save As"),
                           QStringLiteral("The report cannot be saved to %1: it is an input "
                                          "file of the report.")
                               .arg(target));
            return;
        }
    }
    if (filter == pdf || target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        Page.printToPdf(target, Printer.pageLayout());
        return;
    }
    // The saved document is the report file byte for byte.
    QFile source(ReportFile);
    QSaveFile out(target);
    if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(source.readAll()) < 0 || !out.commit()) {
        ShowMessageBox(&PresetBrowser, TMessageKind::Warning, QStringLiteral("Save As"),
                       QStringLiteral("The report could not be saved to %1.").arg(target));
    }
}

void TWebReportView::PageSetup() {
    QPageSetupDialog dialog(&Printer, &PresetBrowser);
    dialog.exec();
}

void TWebReportView::Print() {
    QPrintDialog dialog(&Printer, &PresetBrowser);
    if (dialog.exec() == QDialog::Accepted) {
        PresetBrowser.print(&Printer);
    }
}

void TWebReportView::Copy() {
    Page.triggerAction(QWebEnginePage::Copy);
}

void TWebReportView::SelectAll() {
    Page.triggerAction(QWebEnginePage::SelectAll);
}

} // namespace qvr
