#include "app/shell/GraphicsCheck.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QScreen>
#include <QSurfaceFormat>
#include <QtGlobal>

namespace qvr {

namespace {

// Set once, at start-up, before any window exists.
bool SoftwareChosen = false;

// What a window's backing store does before it draws through OpenGL: a context sharing the
// application's one, current on an offscreen surface, offering OpenGL 2.0 or OpenGL ES 2.0 at
// least.
bool OpenGlUsable() {
    QOpenGLContext context;
    context.setShareContext(QOpenGLContext::globalShareContext());
    if (!context.create()) {
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return false;
    }
    const QSurfaceFormat format = context.format();
    context.doneCurrent();
    return format.majorVersion() >= 2;
}

} // namespace

void ChooseQuickGraphics() {
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || OpenGlUsable()) {
        return;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    SoftwareChosen = true;
}

bool ScreenColoursEnough() {
    const QScreen* const screen = QGuiApplication::primaryScreen();
    return screen == nullptr || screen->depth() >= 15;
}

bool QuickDrawsThroughOpenGL() {
    return !SoftwareChosen;
}

} // namespace qvr
