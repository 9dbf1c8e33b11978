#pragma once

#include "platform/FileDescriptor.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace qvr {

// Registry files are small; anything larger is not one of ours and is treated as unreadable,
// so that no file can make the program allocate without bound.
inline constexpr size_t MaxRegistryFileSize = 4u << 20;

enum class TRegFileState { Loaded, Missing, Unreadable };

// Reads the whole file into `text`. A missing file (or an empty path) is Missing with empty
// text; a file that is not a regular file, cannot be read or is too large is Unreadable.
TRegFileState LoadRegistryFile(const std::string& path, std::string& text);

// Replaces the file's contents atomically: the text goes to a temporary file in the same
// folder (RegistryTempFileName), is synced, and is renamed over the file, so a crash leaves
// either the old or the new file, never a half-written one. Creates missing folders.
// A symbolic link at `path` is kept and its target replaced; the new file keeps the old
// one's permissions. A file without write permission is not replaced, and temporary files
// left by writers whose process is gone are removed. Returns false on any failure, leaving
// the old file as it was. Writers call it while holding a TRegistryWriteLock.
bool SaveRegistryFile(const std::string& path, const std::string& text);

// The temporary file that SaveRegistryFile writes before the rename (one per process).
std::string RegistryTempFileName(const std::string& path);

// Serializes the writers of one registry file, in this process and in others: an advisory
// lock (flock) on "<file>.lock" beside the file (beside its target when the file is a
// symbolic link), held from construction to destruction. A writer re-reads the file after
// taking the lock, so that nothing another writer saved meanwhile is lost. A missing folder
// is made with mode 0700, the lock file with 0600, so that no other user can take the lock.
// The lock is waited for as long as its holder gets on with its work (its process id is in
// the lock file; a holder that dies releases the lock), and given up once the holder has not
// moved for `stall`: stopped, or asleep while it holds the lock. Held() is false when the lock
// file cannot be made (as when the folder cannot be written), and also when the lock stays
// taken by a holder that does not move or a link or a folder is in the lock file's place:
// these are not the user's doing, and Problem() says so.
class TRegistryWriteLock {
public:
    static constexpr std::chrono::milliseconds DefaultStall{30000};

    explicit TRegistryWriteLock(const std::string& path,
                                std::chrono::milliseconds stall = DefaultStall);
    ~TRegistryWriteLock();
    TRegistryWriteLock(const TRegistryWriteLock&) = delete;
    TRegistryWriteLock& operator=(const TRegistryWriteLock&) = delete;

    bool Held() const { return Fd.IsOpen(); }
    const std::string& Problem() const { return Why; }

private:
    TFileDescriptor Fd;
    std::string Why;
};

} // namespace qvr
