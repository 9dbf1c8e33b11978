#include "app/shell/OpenFilters.h"

#include "app/common/Dialogs.h"
#include "sysex/Products.h"

#include <QFileInfo>

namespace qvr {

QStringList OpenDialogFilters() {
    QStringList filters;
    for (const TProduct& product : Products()) {
        filters << QString::fromStdString(product.PresetTypeName() + " (*." +
                                          std::string(product.PresetExtension) + ")")
                << QString::fromStdString(product.BackupTypeName() + " (*." +
                                          std::string(product.BackupExtension) + ")");
    }
    filters << QStringLiteral("All Files (*.*)");
    return filters;
}

int OpenFilterIndexFor(const QString& fileName) {
    const QStringList filters = OpenDialogFilters();
    const QString suffix = QFileInfo(fileName).suffix();
    for (int i = 0; i + 1 < filters.size(); ++i) {
        if (!suffix.isEmpty() &&
            FilterSuffix(filters[i]).compare(suffix, Qt::CaseInsensitive) == 0) {
            return i + 1;
        }
    }
    return static_cast<int>(filters.size());
}

} // namespace qvr
