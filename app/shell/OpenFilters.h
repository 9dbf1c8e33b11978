#pragma once

#include <QStringList>

namespace qvr {

// The open dialog's title and its filters, in index order (index 1 first): a preset and a
// backup filter for each model, then all files.
inline constexpr const char* OpenDialogTitle = "Open Oktrel patch file";
QStringList OpenDialogFilters();
// The index of the filter for a file of that name (by its extension, in any case); the last
// one, all files, for a name no model uses.
int OpenFilterIndexFor(const QString& fileName);

} // namespace qvr
