#include "app/ReportPage.h"

#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>

namespace qvr {

void TReportRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    // A data address holds its document itself and reaches nothing else; the page goes to one
    // only when the program gives it a document (see TReportPage).
    if (info.requestUrl().scheme() == QStringLiteral("data") &&
        info.navigationType() != QWebEngineUrlRequestInfo::NavigationTypeLink) {
        return;
    }
    if (ReportUrl.isEmpty() || info.requestUrl().adjusted(QUrl::RemoveFragment) != ReportUrl) {
        info.block(true);
    }
}

TReportPage::TReportPage(QWebEngineProfile& profile, const QUrl& reportUrl)
    : QWebEnginePage(&profile), ReportUrl(reportUrl) {
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setDefaultTextEncoding(QStringLiteral("windows-1252"));
}

bool TReportPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (ContentComing && isMainFrame && url.scheme() == QStringLiteral("data")) {
        ContentComing = false;
        return true;
    }
    return isMainFrame && type != NavigationTypeLinkClicked &&
           type != NavigationTypeFormSubmitted && !ReportUrl.isEmpty() &&
           url.adjusted(QUrl::RemoveFragment) == ReportUrl;
}

QString RendererEndText(QWebEnginePage::RenderProcessTerminationStatus status, int code) {
    switch (status) {
    case QWebEnginePage::KilledTerminationStatus:
        return QStringLiteral("was stopped (killed, perhaps for want of memory)");
    case QWebEnginePage::CrashedTerminationStatus:
        return QStringLiteral("crashed");
    case QWebEnginePage::NormalTerminationStatus:
    case QWebEnginePage::AbnormalTerminationStatus:
        break;
    }
    return QStringLiteral("ended with status %1").arg(code);
}

} // namespace qvr
