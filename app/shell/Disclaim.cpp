#include "app/shell/Disclaim.h"

#include "app/common/AnsiText.h"
#include "app/common/DialogFonts.h"

#include <QKeyEvent>

namespace qvr {

std::string DisclaimerText() {
    return "This program has not been created by, nor is supported by, Korvane\xAE or its parent "
           "company, Velmora International Company. In addition, the author is not an employee "
           "of nor is affiliated with these companies.\n\n"
           "This program is freeware. There are no warranties of any kind with this program. If "
           "you have questions or problems with this program, please contact the author as "
           "indicated in the \"Support\" section of the online help.";
}

TFormSplash::TFormSplash()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      PanDisclaimer(this), TxtDisclaimer(&PanDisclaimer), PanButton(this),
      BtnOK(QStringLiteral("&OK"), &PanButton) {
    setObjectName(QStringLiteral("FormSplash"));
    setWindowTitle(QStringLiteral("IMPORTANT NOTICE"));
    setFixedSize(430, 244);
    move(381, 250);

    PanDisclaimer.setGeometry(0, 0, 430, 205);
    TxtDisclaimer.setObjectName(QStringLiteral("TxtDisclaimer"));
    TxtDisclaimer.setGeometry(12, 12, 406, 181);
    TxtDisclaimer.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TxtDisclaimer.setWordWrap(true);
    TxtDisclaimer.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TxtDisclaimer.setMargin(2);
    TxtDisclaimer.setTextFormat(Qt::PlainText);
    TxtDisclaimer.setFont(DialogFont());
    TxtDisclaimer.setAutoFillBackground(true);
    QPalette tip = TxtDisclaimer.palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
    TxtDisclaimer.setPalette(tip);

    PanButton.setGeometry(0, 205, 430, 39);
    BtnOK.setObjectName(QStringLiteral("BtnOK"));
    BtnOK.setGeometry(176, 4, 89, 25);
    BtnOK.setDefault(true);
    connect(&BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TFormSplash::FormCreate() {
    TxtDisclaimer.setText(FromAnsi(DisclaimerText()));
}

void TFormSplash::keyPressEvent(QKeyEvent* event) {
    // Without a Cancel button Escape does nothing here.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace qvr
