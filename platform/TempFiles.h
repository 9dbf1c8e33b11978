#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>

namespace qvr {

// The temporary files that atomic writes make beside their targets: their names, their
// removal when the process is ended by a signal, and the removal of those left by processes
// that were killed outright.

// ".<name>.<pid>.<number>.tmp" in the target's folder, the name cut short when the whole would
// be longer than a file name may be, so that any target name that works gets a temporary name.
std::string TempFileName(const std::string& target, unsigned number);

// The mode a new file gets from the process's umask (0666 without the umask's bits).
mode_t NewFileMode();

// Removes the temporary files in the open folder `dir`, named `folder` as the writer names it,
// whose process is gone: ones of this user, regular files only, named as TempFileName names
// them. Only the first time in this process for a folder: it is listed once per run, not once
// per file written there (a split writes thousands of files into one folder).
void SweepStaleTempFilesOnce(int dir, const std::string& folder);

// A temporary file that SIGINT, SIGTERM or SIGHUP removes (once RemoveTempFilesOnSignals has
// been called) until the object goes. A path that cannot be held (longer than a path may be,
// or too many at once) is simply not removed by a signal.
class TTempFileGuard {
public:
    explicit TTempFileGuard(const std::string& path);
    // The file `name` in the open folder `dir`, which must stay open while the guard lives.
    TTempFileGuard(int dir, const std::string& name);
    ~TTempFileGuard();
    TTempFileGuard(const TTempFileGuard&) = delete;
    TTempFileGuard& operator=(const TTempFileGuard&) = delete;

private:
    int Slot;
};

// Holds back SIGINT, SIGTERM and SIGHUP in this thread while it lives, so that a temporary file
// made and guarded meanwhile is never left made but not yet guarded.
class TEndingSignalsHeld {
public:
    TEndingSignalsHeld();
    ~TEndingSignalsHeld();
    TEndingSignalsHeld(const TEndingSignalsHeld&) = delete;
    TEndingSignalsHeld& operator=(const TEndingSignalsHeld&) = delete;

private:
    sigset_t Before;
};

// From now on SIGINT, SIGTERM and SIGHUP remove the guarded temporary files, then end the
// process as the signal does by default. For programs without handlers of their own.
void RemoveTempFilesOnSignals();

// For a signal handler of a program's own: removes the guarded temporary files and ends the
// process as `signal` does by default (the signal is delivered once the handler returns).
// Async-signal-safe.
void RemoveTempFilesAndEnd(int signal);

} // namespace qvr
