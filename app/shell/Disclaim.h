#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <string>

namespace qvr {

// The notice text, 8-bit in code page 1252 (the registered sign is 0xAE).
std::string DisclaimerText();

// The notice shown at every start, before a file named on the command line is
// loaded. It has no close box and no Cancel: OK is the way out.
class TFormSplash : public QDialog {
    Q_OBJECT
public:
    TFormSplash();

    QWidget PanDisclaimer;
    QLabel TxtDisclaimer;
    QWidget PanButton;
    QPushButton BtnOK;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
};

} // namespace qvr
