#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;

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

// Puts a restored window wholly on the work area, its frame too: larger than it, the window
// is shrunk to it (never below the minimum size); otherwise it is moved inwards just far
// enough. A window that already lies within is unchanged. The bounds are as the window system
// keeps them: Left and Top are the frame's outer corner, Width and Height the inside, and
// `frame` the frame's width on each side (none before the window is first shown).
// The clamp above still leaves all but a corner of the window off a screen
// smaller than the one it was stored on, or at a higher scale.
TWindowBounds FitOnWorkArea(TWindowBounds bounds, const QRect& workArea, QSize minimum,
                            QMargins frame = {});

// Fits a window on the work area again once its frame is known. The window system tells the
// frame's size only after the window is on screen, so the fit made before the first show
// leaves the title bar's height (or the border's) of the window off a work area it fills.
// The first fit with the frame is the only one: where the user puts the window later is theirs.
class TFrameFit : public QObject {
    Q_OBJECT
public:
    TFrameFit(QWidget& window, std::function<std::optional<QRect>()> workArea);
    ~TFrameFit() override;
    TFrameFit(const TFrameFit&) = delete;
    TFrameFit& operator=(const TFrameFit&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitOnce();

    QWidget& Window;
    std::function<std::optional<QRect>()> WorkArea;
    bool Done = false;
};

// The position that centres a window of the given size on the work area.
QPoint CentredPosition(QSize size, const QRect& workArea);

} // namespace qvr
