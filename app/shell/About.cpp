#include "app/shell/About.h"

#include "app/common/AnsiText.h"
#include "app/common/DialogFonts.h"
#include "app/common/ProgramIcon.h"
#include "platform/Progverinfo.h"

namespace qvr {

TFormAbout::TFormAbout(const TVerInfo& verInfo)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), PanAbout(this),
      ProgramIcon(&PanAbout), LabProductName(QStringLiteral("Product Name"), &PanAbout),
      LabVersion(QStringLiteral("Version"), &PanAbout),
      LabCopyright(QStringLiteral("Copyright"), &PanAbout),
      LabComments(QStringLiteral("Comments"), &PanAbout), OKButton(QStringLiteral("&OK"), this) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(327, 209);

    PanAbout.setGeometry(8, 8, 309, 157);
    PanAbout.setFrameStyle(QFrame::Box | QFrame::Sunken);
    PanAbout.setLineWidth(1);
    PanAbout.setMidLineWidth(0);

    ProgramIcon.setGeometry(12, 12, 32, 32);
    ProgramIcon.setPixmap(ProgramIconPixmap(32));

    LabProductName.setGeometry(60, 12, 241, 25);
    LabProductName.setFont(SansFont(19));
    LabVersion.setGeometry(60, 36, 237, 13);
    LabVersion.setFont(SerifFont(13, true));
    LabCopyright.setGeometry(60, 60, 237, 21);
    LabCopyright.setFont(DialogFont());
    LabComments.setGeometry(60, 88, 237, 49);
    LabComments.setFont(DialogFont());
    LabComments.setWordWrap(true);
    for (QLabel* label : {&LabProductName, &LabVersion, &LabCopyright, &LabComments}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    OKButton.setGeometry(126, 176, 75, 25);
    OKButton.setDefault(true);
    connect(&OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FillFrom(verInfo);
}

TFormAbout::TFormAbout() : TFormAbout(TVerInfo()) {}

void TFormAbout::FillFrom(const TVerInfo& verInfo) {
    LabProductName.setText(FromAnsi(verInfo.GetProductName()));
    LabVersion.setText(QStringLiteral("Version ") + FromAnsi(verInfo.GetProductVersion()));
    LabCopyright.setText(FromAnsi(verInfo.GetCopyright()));
    LabComments.setText(FromAnsi(verInfo.GetComments()));
    for (QLabel* label : {&LabProductName, &LabVersion, &LabCopyright, &LabComments}) {
        FitFontToLabel(*label);
    }
}

} // namespace qvr
