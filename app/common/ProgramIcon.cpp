#include "app/common/ProgramIcon.h"

namespace qvr {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/qvrviewer.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap ProgramIconPixmap(int size) {
    return ProgramIcon().pixmap(size, size);
}

} // namespace qvr
