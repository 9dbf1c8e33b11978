#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace qvr {

class TVerInfo;

// The About box: product name, version, copyright and comments from the
// version strings of the program file, read once at construction.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    TFormAbout();
    // Reads the given version information instead of the running program's.
    explicit TFormAbout(const TVerInfo& verInfo);

    QFrame PanAbout;
    QLabel ProgramIcon;
    QLabel LabProductName;
    QLabel LabVersion;
    QLabel LabCopyright;
    QLabel LabComments;
    QPushButton OKButton;

private:
    void FillFrom(const TVerInfo& verInfo);
};

} // namespace qvr
