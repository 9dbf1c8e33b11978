#pragma once

#include <QPointF>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>
#include <optional>

namespace qvr {

// Lets the page load the report file and nothing else: no other local file,
// no remote address, no sub-resource of any kind.
class TReportRequestGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    QUrl ReportUrl;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// A page that shows a report file: scripts, plugins, storage and images off, the bytes read
// as code page 1252 (the report names no charset). It navigates only where the program sends
// it, never by a link, a form or a drop.
class TReportPage : public QWebEnginePage {
    Q_OBJECT
public:
    // `reportUrl` is read at every navigation: the owner changes it before each load.
    TReportPage(QWebEngineProfile& profile, const QUrl& reportUrl);
    // Set just before the program gives the page a document of its own: that one navigation
    // is let through.
    bool ContentComing = false;

    // The documents the page loads from now on go to `place` (in CSS pixels, the page's own
    // scroll position) as soon as their content reaches it, and are kept there while they
    // load: content that streams in below does not move the view. Short of the place, the view
    // follows the content down, and a document that ends short of it ends at its end. Scrolling,
    // a key, a click or a search by the user ends the keeping (the user wins).
    void KeepPlace(QPointF place);
    // The documents loaded from now on start at their top, as documents do.
    void StopKeepingPlace();
    // The user has moved the view of the document shown: it is no longer kept at a place.
    void ReleasePlace();
    // Asks where the document shown is: the place it is being brought back to while that is
    // kept, else where it is scrolled to. `answer` gets it, or nothing if the page cannot tell.
    void AskPlace(std::function<void(std::optional<QPointF>)> answer);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    const QUrl& ReportUrl;
};

// Says how a page renderer ended, as the end of a sentence ("the page renderer …").
QString RendererEndText(QWebEnginePage::RenderProcessTerminationStatus status, int code);

} // namespace qvr
