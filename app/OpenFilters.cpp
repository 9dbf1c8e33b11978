#include "app/OpenFilters.h"

namespace qvr {

QStringList OpenDialogFilters() {
    return {QStringLiteral("QVR-1 Preset (*.q1p)"),    QStringLiteral("QVR-1 Backup (*.q1a)"),
            QStringLiteral("QVR-2 Preset (*.q2p)"),    QStringLiteral("QVR-2 Backup (*.q2a)"),
            QStringLiteral("QVR-3 Preset (*.q3p)"),    QStringLiteral("QVR-3 Backup (*.q3a)"),
            QStringLiteral("KDT-3 Preset (*.k3p)"),    QStringLiteral("KDT-3 Backup (*.k3a)"),
            QStringLiteral("Tindrel3 Preset (*.t3p)"), QStringLiteral("Tindrel3 Backup (*.t3a)"),
            QStringLiteral("All Files (*.*)")};
}

} // namespace qvr
