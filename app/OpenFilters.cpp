#include "app/OpenFilters.h"

#include "sysex/Products.h"

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

} // namespace qvr
