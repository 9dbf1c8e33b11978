#pragma once

#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

namespace qvr {

// The help window: the program's own HTML pages, compiled into the program,
// opened at the contents page. Links between the pages are followed; links
// that leave the help are not.
// The help pages' browser; it fills the table of models into the page that lists them.
class THelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
};

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    THelpWindow();
    void ShowContents();

    QVBoxLayout Layout;
    QToolBar Tools;
    THelpBrowser Browser;

private:
    QShortcut CloseKeys;
};

// Address of the contents page.
QUrl HelpContentsUrl();

} // namespace qvr
