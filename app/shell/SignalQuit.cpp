#include "app/shell/SignalQuit.h"

#include "platform/TempFiles.h"

#include <QApplication>
#include <QWidget>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qvr {

namespace {

constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Read end and write end; the handler can reach nothing but globals.
int SignalPipe[2] = {-1, -1};
// Set by the first signal; lock-free, so the handler may use it.
std::atomic<bool> QuitAsked{false};

extern "C" void NoteSignal(int signal) {
    // A program that has not ended since the first signal does not answer (a write that
    // hangs, a task that does not stop): the second one ends it at once, and the temporary
    // files of writes under way go with it.
    if (QuitAsked.exchange(true)) {
        RemoveTempFilesAndEnd(signal);
        return;
    }
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a quit request.
    [[maybe_unused]] const ssize_t n = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

// Ends the event loops first: every loop running now returns, and a box that closing a window
// shows (a settings file that cannot be written) returns at once instead of waiting for a user
// who is not there. The boxes open now go without an answer; then the windows close as at a
// normal end, which releases what they hold.
void EndTheRun() {
    QCoreApplication::exit(0);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isModal()) {
            window->hide();
        }
    }
    QApplication::closeAllWindows();
}

} // namespace

TQuitOnSignals::TQuitOnSignals() {
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        SignalPipe[0] = SignalPipe[1] = -1;
        return;
    }
    Notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(Notifier.get(), &QSocketNotifier::activated, [] {
        char bytes[16];
        while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        EndTheRun();
    });
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : QuitSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

bool TQuitOnSignals::Asked() const {
    return QuitAsked;
}

TQuitOnSignals::~TQuitOnSignals() {
    if (SignalPipe[0] < 0) {
        return;
    }
    for (const int signal : QuitSignals) {
        std::signal(signal, SIG_DFL);
    }
    Notifier.reset();
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
    QuitAsked = false;
}

} // namespace qvr
