#pragma once

#include <QIcon>
#include <QPixmap>

namespace qvr {

// The program's icon, drawn rather than shipped so that it scales cleanly.
QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

} // namespace qvr
