#pragma once

#include <QIcon>
#include <QPixmap>

namespace qvr {

// The program's icon, in the sizes that the build renders from data/icons/qvrviewer.svg, the
// same drawing that the desktop shows for the installed program.
QIcon ProgramIcon();
QPixmap ProgramIconPixmap(int size);

} // namespace qvr
