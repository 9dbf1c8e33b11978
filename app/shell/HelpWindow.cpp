#include "app/shell/HelpWindow.h"

#include "app/common/ProgramIcon.h"
#include "sysex/Products.h"

#include <QAction>

namespace qvr {

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || name.fileName() != QStringLiteral("models.html")) {
        return resource;
    }
    QString rows;
    for (const TProduct& p : Products()) {
        rows += QString::fromStdString("<tr><td>" + std::string(p.Model) + "</td><td>." +
                                       std::string(p.PresetExtension) + "</td><td>." +
                                       std::string(p.BackupExtension) + "</td><td>" +
                                       std::string(p.ConfigFile) + "</td></tr>\n");
    }
    return QString::fromUtf8(resource.toByteArray())
        .replace(QStringLiteral("<!-- model rows -->\n"), rows);
}

QUrl HelpContentsUrl() {
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

THelpWindow::THelpWindow() : Layout(this), Tools(this), Browser(this), CloseKeys(this) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Oktrel(tm) Preset Viewer Help"));
    setWindowIcon(ProgramIcon());
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 560);

    Layout.setContentsMargins(0, 0, 0, 0);
    Layout.setSpacing(0);
    Layout.addWidget(&Tools);
    Layout.addWidget(&Browser);

    Browser.setOpenExternalLinks(false);
    Browser.setOpenLinks(true);
    QAction* contents =
        Tools.addAction(QStringLiteral("Contents"), this, &THelpWindow::ShowContents);
    // Closed as the other windows are, from the keyboard too.
    CloseKeys.setKeys({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(&CloseKeys, &QShortcut::activated, this, &QWidget::close);
    QAction* back = Tools.addAction(QStringLiteral("Back"), &Browser, &QTextBrowser::backward);
    back->setEnabled(false);
    connect(&Browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QAction* forward = Tools.addAction(QStringLiteral("Forward"), &Browser, &QTextBrowser::forward);
    forward->setEnabled(false);
    connect(&Browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    // A tool button takes its caption from the action's icon text, and its access key (Alt and
    // the underlined letter) from that caption.
    contents->setIconText(QStringLiteral("&Contents"));
    back->setIconText(QStringLiteral("&Back"));
    forward->setIconText(QStringLiteral("&Forward"));
}

void THelpWindow::ShowContents() {
    Browser.setSource(HelpContentsUrl());
    show();
    raise();
    activateWindow();
}

} // namespace qvr
