#include "app/shell/Placement.h"

#include <QEvent>
#include <QWidget>

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

TWindowBounds FitOnWorkArea(TWindowBounds bounds, const QRect& workArea, QSize minimum,
                            QMargins frame) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    bounds.Width = std::max(minimum.width(), std::min(bounds.Width, workArea.width() - frameWidth));
    bounds.Height =
        std::max(minimum.height(), std::min(bounds.Height, workArea.height() - frameHeight));
    bounds.Left =
        FitSpan(bounds.Left, bounds.Width + frameWidth, workArea.left(), workArea.width());
    bounds.Top =
        FitSpan(bounds.Top, bounds.Height + frameHeight, workArea.top(), workArea.height());
    return bounds;
}

TFrameFit::TFrameFit(QWidget& window, std::function<std::optional<QRect>()> workArea)
    : Window(window), WorkArea(std::move(workArea)) {
    Window.installEventFilter(this);
}

TFrameFit::~TFrameFit() {
    Window.removeEventFilter(this);
}

bool TFrameFit::eventFilter(QObject* watched, QEvent* event) {
    // The window system's answer about the frame comes with a move or a resize of the window.
    const QEvent::Type type = event->type();
    if (!Done && watched == &Window &&
        (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
        FitOnce();
    }
    return QObject::eventFilter(watched, event);
}

void TFrameFit::FitOnce() {
    const QRect inside = Window.geometry();
    const QRect outside = Window.frameGeometry();
    if (!Window.isVisible() || inside == outside) {
        return; // no frame known yet
    }
    Done = true;
    const std::optional<QRect> area = WorkArea ? WorkArea() : std::nullopt;
    if (!area || (Window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0) {
        return;
    }
    const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(),
                         outside.right() - inside.right(), outside.bottom() - inside.bottom());
    const TWindowBounds now{outside.left(), outside.top(), inside.width(), inside.height()};
    const TWindowBounds fitted = FitOnWorkArea(now, *area, Window.minimumSize(), frame);
    if (fitted.Width != now.Width || fitted.Height != now.Height) {
        Window.resize(fitted.Width, fitted.Height);
    }
    if (fitted.Left != now.Left || fitted.Top != now.Top) {
        Window.move(fitted.Left, fitted.Top);
    }
}

QPoint CentredPosition(QSize size, const QRect& workArea) {
    return {workArea.left() + (workArea.width() - size.width()) / 2,
            workArea.top() + (workArea.height() - size.height()) / 2};
}

} // namespace qvr
