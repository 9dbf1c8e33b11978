#pragma once

#include <QRect>

#include <optional>

namespace qvr {

// Window bounds as the settings store keeps them.
struct TWindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TWindowBounds&, const TWindowBounds&) = default;
};

// Keeps a stored position reachable: left at most the work area's width minus
// 100, top at most its height minus 50 (when the work area is known), neither
// below 0. Width and height pass unchanged.
TWindowBounds ClampStoredBounds(TWindowBounds stored, const std::optional<QRect>& workArea);

// Puts a restored window wholly on the work area: larger than it, the window
// is shrunk to it (never below the minimum size); otherwise it is moved
// inwards just far enough. A window that already lies within is unchanged.
// The clamp above still leaves all but a corner of the window off a screen
// smaller than the one it was stored on, or at a higher scale.
TWindowBounds FitOnWorkArea(TWindowBounds bounds, const QRect& workArea, QSize minimum);

// The position that centres a window of the given size on the work area.
QPoint CentredPosition(QSize size, const QRect& workArea);

} // namespace qvr
