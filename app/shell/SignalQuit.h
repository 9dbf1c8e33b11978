#pragma once

#include <QSocketNotifier>

#include <memory>

namespace qvr {

// Turns SIGTERM, SIGINT and SIGHUP into a clean end of the program: the handler only writes a
// byte to a pipe, and the event loop, reading it, ends every event loop and closes every
// window, so that everything the program holds is released as at a normal end (its private
// folder and report file go too). No box open then or shown while the windows close waits for
// an answer. A second signal before the program has ended ends it at once, removing the
// temporary files of writes under way (TTempFileGuard). One per program; the default handling
// returns when it goes.
class TQuitOnSignals {
public:
    TQuitOnSignals();
    ~TQuitOnSignals();
    TQuitOnSignals(const TQuitOnSignals&) = delete;
    TQuitOnSignals& operator=(const TQuitOnSignals&) = delete;

    // A quit signal came: a program that has not started its event loop yet should not.
    bool Asked() const;

private:
    std::unique_ptr<QSocketNotifier> Notifier;
};

} // namespace qvr
