#pragma once

#include <QStringList>

namespace qvr {

// The open dialog's title and its eleven filters, in index order (index 1 first).
inline constexpr const char* OpenDialogTitle = "Open Oktrel patch file";
QStringList OpenDialogFilters();

} // namespace qvr
