#pragma once

namespace qvr {

// Whether the window system the viewer would start on can be reached. Asked before the
// application object exists, since Qt ends the program (abort) when it cannot open its
// display. Any platform of QT_QPA_PLATFORM's list (Qt tries them in turn) will do: "xcb"
// when the X display is reachable, "wayland..." when the Wayland one is, any other (offscreen,
// eglfs, vnc, ...) as it is. Without QT_QPA_PLATFORM, a reachable Wayland display
// (WAYLAND_DISPLAY) or X display (DISPLAY) will do.
bool DisplayReachable();

} // namespace qvr
