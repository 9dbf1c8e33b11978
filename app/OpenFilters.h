#pragma once

#include <QStringList>

namespace qvr {

// The open dialog's title and its filters, in index order (index 1 first): a preset and a
// backup filter for each model, then all files.
inline constexpr const char* OpenDialogTitle = "Open Oktrel patch file";
QStringList OpenDialogFilters();

} // namespace qvr
