#include "app/Placement.h"

namespace qvr {

TWindowBounds ClampStoredBounds(TWindowBounds stored, const std::optional<QRect>& workArea) {
    if (workArea) {
        if (stored.Left > workArea->width() - 100) {
            stored.Left = workArea->width() - 100;
        }
        if (stored.Top > workArea->height() - 50) {
            stored.Top = workArea->height() - 50;
        }
    }
    if (stored.Left <= 0) {
        stored.Left = 0;
    }
    if (stored.Top <= 0) {
        stored.Top = 0;
    }
    return stored;
}

QPoint CentredPosition(QSize size, const QRect& workArea) {
    return {workArea.left() + (workArea.width() - size.width()) / 2,
            workArea.top() + (workArea.height() - size.height()) / 2};
}

} // namespace qvr
