#include "app/device/MIDIConfig.h"

#include "app/common/DialogFonts.h"

#include <QKeyEvent>

namespace qvr {

TFormMIDI::TFormMIDI()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      LabInMIDIDevice(QStringLiteral("&Input MIDI Device"), this), CBoxInMIDIDevice(this),
      LabOutMIDIDevice(QStringLiteral("O&utput MIDI Device"), this), CBoxOutMIDIDevice(this),
      CkBoxScanAll(QStringLiteral("&Scan all devices at startup"), this),
      BtnOK(QStringLiteral("&OK"), this), BtnCancel(QStringLiteral("&Cancel"), this) {
    setObjectName(QStringLiteral("FormMIDI"));
    setWindowTitle(QStringLiteral("MIDI Configuration"));
    setFixedSize(290, 192);
    setFont(DialogFont());

    LabInMIDIDevice.setGeometry(13, 13, 254, 13);
    CBoxInMIDIDevice.setGeometry(13, 33, 261, 21);
    LabOutMIDIDevice.setGeometry(13, 65, 254, 13);
    CBoxOutMIDIDevice.setGeometry(13, 85, 261, 21);
    CkBoxScanAll.setGeometry(13, 124, 261, 13);
    BtnOK.setGeometry(137, 156, 60, 20);
    BtnCancel.setGeometry(208, 156, 61, 20);

    // Neither button is the dialog's default: Enter acts only on the focused one.
    for (QPushButton* button : {&BtnOK, &BtnCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    LabInMIDIDevice.setBuddy(&CBoxInMIDIDevice);
    LabOutMIDIDevice.setBuddy(&CBoxOutMIDIDevice);
    // The choice first: the dialog opens on the input list, the buttons come last.
    setTabOrder(&CBoxInMIDIDevice, &CBoxOutMIDIDevice);
    setTabOrder(&CBoxOutMIDIDevice, &CkBoxScanAll);
    setTabOrder(&CkBoxScanAll, &BtnOK);
    setTabOrder(&BtnOK, &BtnCancel);

    connect(&BtnOK, &QPushButton::clicked, this, &TFormMIDI::BtnOKClick);
    connect(&BtnCancel, &QPushButton::clicked, this, &TFormMIDI::BtnCancelClick);
}

void TFormMIDI::FormShow() {
    SavedInIndex = CBoxInMIDIDevice.currentIndex();
    SavedOutIndex = CBoxOutMIDIDevice.currentIndex();
}

void TFormMIDI::BtnOKClick() {
    accept();
}

void TFormMIDI::BtnCancelClick() {
    CBoxInMIDIDevice.setCurrentIndex(SavedInIndex);
    CBoxOutMIDIDevice.setCurrentIndex(SavedOutIndex);
    reject();
}

void TFormMIDI::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
    CBoxInMIDIDevice.setFocus(Qt::OtherFocusReason);
}

void TFormMIDI::keyPressEvent(QKeyEvent* event) {
    // No button is the default or the cancel button of this dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace qvr
