#pragma once

#include "platform/FileDescriptor.h"
#include "platform/TempFiles.h"

#include <cstddef>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qvr {

// A file that is written whole or not at all. The bytes go to a new temporary
// file in the target's folder (created exclusively with mode 0600, never
// through a symbolic link, named as TempFileName says); Commit gives it the
// target's mode (or the umask's for a new file), syncs it and renames it over
// the target. The folder is opened once and every step works relative to it.
// Temporary files of writers whose process is gone are removed from the
// folder first (once per run and folder), and a signal that
// RemoveTempFilesOnSignals handles removes this one. Until Commit
// succeeds the target stays exactly as it was, and a temporary file that is
// not committed is removed by the destructor, so nothing is left behind on
// any failure. The target itself is replaced, not a file a link at it names.
// A target that exists and is neither a regular file nor a folder (a device,
// a pipe, /dev/stdout) cannot be replaced: it is opened and written directly.
// A folder is refused at once (EISDIR), so that no work is done for nothing.
class TAtomicFile {
public:
    explicit TAtomicFile(std::string target);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // False when the temporary file could not be created (Error() says why).
    bool IsOpen() const { return Fd >= 0; }
    // Appends the bytes; false (and Error() set) on a failure, which also
    // makes Commit fail.
    bool Write(const void* data, size_t size);
    // Syncs, closes and renames the temporary file over the target. False
    // (target untouched, temporary file removed) on any failure.
    bool Commit();

    // errno of the first failure, 0 when there was none.
    int Error() const { return FirstError; }
    const std::string& Target() const { return TargetPath; }

private:
    void Fail(int error);
    void Discard();
    void StartWriteBack();

    std::string TargetPath;
    std::string Name;                    // the target's name in its folder
    TFileDescriptor Dir;                 // the target's folder, opened once
    std::string TempName;                // in Dir; empty when writing directly
    std::optional<TTempFileGuard> Guard; // goes before Dir closes
    int Fd = -1;
    int FirstError = 0;
    off_t Written = 0;     // bytes written so far
    off_t WrittenBack = 0; // bytes already handed to the disk
    off_t Dropped = 0;     // bytes on the disk and out of the page cache
    static constexpr off_t WriteBackStep = off_t{1} << 20;
    // At most this many of the bytes written last stay in the page cache.
    static constexpr off_t CachedBytes = off_t{64} << 20;
};

} // namespace qvr
