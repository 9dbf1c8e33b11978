#include "app/shell/Placement.h"

#include <algorithm>

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

namespace {

// The start of a span of the given length within [areaStart, areaStart + areaLength),
// as near to start as fits; a span longer than the area starts with it.
int FitSpan(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

TWindowBounds FitOnWorkArea(TWindowBounds bounds, const QRect& workArea, QSize minimum) {
    bounds.Width = std::max(minimum.width(), std::min(bounds.Width, workArea.width()));
    bounds.Height = std::max(minimum.height(), std::min(bounds.Height, workArea.height()));
    bounds.Left = FitSpan(bounds.Left, bounds.Width, workArea.left(), workArea.width());
    bounds.Top = FitSpan(bounds.Top, bounds.Height, workArea.top(), workArea.height());
    return bounds;
}

QPoint CentredPosition(QSize size, const QRect& workArea) {
    return {workArea.left() + (workArea.width() - size.width()) / 2,
            workArea.top() + (workArea.height() - size.height()) / 2};
}

} // namespace qvr
