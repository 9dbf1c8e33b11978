#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <cstdint>

namespace qvr {

// The MIDI device dialog: the input and output ports to choose from (filled by TMidiDevices,
// which keeps the choice in the settings store; File > Receive from Device listens on the
// chosen input). Cancel restores the selections that were there when the dialog was shown.
class TFormMIDI : public QDialog {
    Q_OBJECT
public:
    TFormMIDI();

    QLabel LabInMIDIDevice;
    QComboBox CBoxInMIDIDevice;
    QLabel LabOutMIDIDevice;
    QComboBox CBoxOutMIDIDevice;
    QCheckBox CkBoxScanAll;
    QPushButton BtnOK;
    QPushButton BtnCancel;

    int32_t SavedInIndex = -1;
    int32_t SavedOutIndex = -1;

    void FormShow();
    void BtnOKClick();
    void BtnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qvr
