#include "app/report/ReportPage.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>

namespace qvr {

namespace {

const QString PlaceKeeperName = QStringLiteral("qvr-place-keeper");

// A script of the program, run apart from the document's own scripts (which are off) in the
// main frame as each document is created.
QWebEngineScript DocumentScript(const QString& name, const QString& source) {
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    return script;
}

// Each frame until the document has loaded it scrolls to the place, which the scroll clamps to
// the content there is so far; at the load's end once more, then no longer. Input of the user
// in the document, or `qvrKeepPlace` cleared by the program, stops it. The document's bytes
// and tree stay as they are.
const char* const PlaceKeeperSource = R"(
(function () {
  const x = %1, y = %2;
  window.qvrKeepPlace = true;
  window.qvrPlace = [x, y];
  const scrollKeys = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'PageUp', 'PageDown',
                      'Home', 'End', ' '];
  const release = function (event) {
    if (event.type !== 'keydown' || scrollKeys.includes(event.key)) {
      window.qvrKeepPlace = false;
    }
  };
  for (const type of ['wheel', 'keydown', 'mousedown', 'touchstart']) {
    window.addEventListener(type, release, { capture: true, passive: true });
  }
  const keep = function () {
    if (window.qvrKeepPlace && Math.abs(window.scrollX - x) + Math.abs(window.scrollY - y) >= 1) {
      window.scrollTo(x, y);
    }
  };
  const frame = function () {
    keep();
    if (window.qvrKeepPlace && document.readyState !== 'complete') {
      window.requestAnimationFrame(frame);
    }
  };
  window.requestAnimationFrame(frame);
  window.addEventListener('load', function () {
    keep();
    window.qvrKeepPlace = false;
  });
})();
)";

} // namespace

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
    // A document loaded again from the same address would get the place of the one before it
    // once loaded (a newly opened file too, as every report has the same address): where a
    // report is shown is the program's choice alone.
    scripts().insert(DocumentScript(QStringLiteral("qvr-no-restore"),
                                    QStringLiteral("history.scrollRestoration = 'manual';")));
    // The report before is garbage once a new document starts: the renderer collects it then,
    // while little else is alive, rather than keep several reports of about 100 MB each (for a
    // full backup) until its collector would get to them.
    scripts().insert(DocumentScript(QStringLiteral("qvr-collect"),
                                    QStringLiteral("if (typeof gc === 'function') { gc(); }")));
}

void TReportPage::KeepPlace(QPointF place) {
    StopKeepingPlace();
    scripts().insert(DocumentScript(PlaceKeeperName, QString::fromLatin1(PlaceKeeperSource)
                                                         .arg(QString::number(place.x(), 'f', 2),
                                                              QString::number(place.y(), 'f', 2))));
}

void TReportPage::StopKeepingPlace() {
    for (const QWebEngineScript& keeper : scripts().find(PlaceKeeperName)) {
        scripts().remove(keeper);
    }
}

void TReportPage::ReleasePlace() {
    runJavaScript(QStringLiteral("window.qvrKeepPlace = false;"),
                  QWebEngineScript::ApplicationWorld);
}

void TReportPage::AskPlace(std::function<void(std::optional<QPointF>)> answer) {
    runJavaScript(
        QStringLiteral("window.qvrKeepPlace ? window.qvrPlace"
                       " : [window.scrollX, window.scrollY]"),
        QWebEngineScript::ApplicationWorld, [answer = std::move(answer)](const QVariant& at) {
            const QVariantList xy = at.toList();
            answer(xy.size() == 2 ? std::optional(QPointF(xy[0].toDouble(), xy[1].toDouble()))
                                  : std::nullopt);
        });
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
