#pragma once

#include <QSocketNotifier>

#include <memory>

namespace qvr {

// Turns SIGTERM, SIGINT and SIGHUP into a clean end of the program: the handler only writes a
// byte to a pipe, and the event loop, reading it, closes every window and quits, so that
// everything the program holds is released as at a normal end (its private folder and report
// file go too). A second signal before the program has ended ends it at once, removing the
// temporary files of writes under way (TTempFileGuard). One per program; the default handling
// returns when it goes.
class TQuitOnSignals {
public:
    TQuitOnSignals();
    ~TQuitOnSignals();
    TQuitOnSignals(const TQuitOnSignals&) = delete;
    TQuitOnSignals& operator=(const TQuitOnSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> Notifier;
};

} // namespace qvr
