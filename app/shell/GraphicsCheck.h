#pragma once

namespace qvr {

// Chooses how Qt Quick, and with it the web view, draws. Where OpenGL cannot be used the way a
// window's backing store needs it (no GL integration, an 8-bit X screen, indirect GLX with
// only OpenGL 1.x), a window holding the web view would draw nothing and crash; there Qt Quick
// is switched to its software renderer. A QT_QUICK_BACKEND of the user's own is left to rule.
// Called once, after the application object and before the first window exists.
void ChooseQuickGraphics();

// Whether the primary screen has colours enough (15 bits or more) for windows to be drawn at
// all: on fewer (an 8-bit X screen) every window would stay blank.
bool ScreenColoursEnough();

// Whether the web view draws through OpenGL: false once ChooseQuickGraphics chose software.
bool QuickDrawsThroughOpenGL();

} // namespace qvr
