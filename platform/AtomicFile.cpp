#include "platform/AtomicFile.h"

#include "platform/TempFiles.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace {

// Tries this many fresh names when a name is taken.
constexpr int NameAttempts = 100;

// A number for the temporary name that no other writer of this process or another one
// picks at the same time.
unsigned TempNumber() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    return seed ^ counter.fetch_add(1);
}

} // namespace

TAtomicFile::TAtomicFile(std::string target) : TargetPath(std::move(target)) {
    if (TargetPath.empty() || TargetPath.back() == '/') {
        Fail(EISDIR);
        return;
    }
    const size_t slash = TargetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : TargetPath.substr(0, slash + 1);
    Name = slash == std::string::npos ? TargetPath : TargetPath.substr(slash + 1);
    // Everything from here on is relative to this folder, so that a folder renamed or replaced
    // meanwhile cannot send the temporary file and the target to two places.
    Dir = TFileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!Dir.IsOpen() && errno == EACCES) {
        // A folder that may be written but not read: found by path only, and not synced.
        Dir = TFileDescriptor(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    if (!Dir.IsOpen()) {
        Fail(errno);
        return;
    }
    struct stat existing {};
    const bool exists = ::fstatat(Dir.Get(), Name.c_str(), &existing, 0) == 0;
    // A folder can never be replaced: said now, before the bytes are made.
    if (exists && S_ISDIR(existing.st_mode)) {
        Fail(EISDIR);
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        Fd = ::openat(Dir.Get(), Name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (Fd < 0) {
            Fail(errno);
        }
        return;
    }
    SweepStaleTempFilesOnce(Dir.Get(), folder);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        std::string name = TempFileName(Name, TempNumber());
        const TEndingSignalsHeld held;
        // Private until it is complete: the final mode comes with Commit.
        Fd = ::openat(Dir.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (Fd >= 0) {
            Guard.emplace(Dir.Get(), name);
            TempName = std::move(name);
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    Fail(errno);
}

TAtomicFile::~TAtomicFile() {
    Discard();
}

void TAtomicFile::Fail(int error) {
    if (FirstError == 0) {
        FirstError = error != 0 ? error : EIO;
    }
}

void TAtomicFile::Discard() {
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
    if (!TempName.empty()) {
        ::unlinkat(Dir.Get(), TempName.c_str(), 0);
        TempName.clear();
    }
    Guard.reset();
}

bool TAtomicFile::Write(const void* data, size_t size) {
    if (Fd < 0 || FirstError != 0) {
        Fail(EBADF);
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(Fd, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
        Written += static_cast<off_t>(n);
    }
    StartWriteBack();
    return true;
}

// Commit has to wait until every byte is on the disk. Each written megabyte
// goes to the disk at once, without waiting for it, so that the disk works
// while the rest is produced and little is left to wait for at the end. Bytes
// written long before are on the disk by then and leave the page cache: a
// large file takes no more memory than its last megabytes, and writing it
// does not crowd out the cached pages of other files.
void TAtomicFile::StartWriteBack() {
    if (TempName.empty() || Written - WrittenBack < WriteBackStep) {
        return;
    }
    ::sync_file_range(Fd, WrittenBack, Written - WrittenBack, SYNC_FILE_RANGE_WRITE);
    WrittenBack = Written;
    if (WrittenBack - Dropped > CachedBytes) {
        const off_t upTo = WrittenBack - CachedBytes / 2;
        ::sync_file_range(Fd, Dropped, upTo - Dropped,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(Fd, Dropped, upTo - Dropped, POSIX_FADV_DONTNEED);
        Dropped = upTo;
    }
}

bool TAtomicFile::Commit() {
    if (Fd < 0 || FirstError != 0) {
        Fail(EBADF);
        Discard();
        return false;
    }
    if (TempName.empty()) {
        const int fd = Fd;
        Fd = -1;
        if (::close(fd) != 0) {
            Fail(errno);
        }
        return FirstError == 0;
    }
    // An existing target keeps its permissions, as a rewrite in place would; a new one gets
    // those the umask gives.
    struct stat old {};
    const bool replaces = ::fstatat(Dir.Get(), Name.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode);
    if (::fchmod(Fd, replaces ? old.st_mode & 07777 : NewFileMode()) != 0) {
        Fail(errno);
    }
    if (FirstError == 0 && ::fsync(Fd) != 0) {
        Fail(errno);
    }
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) {
        Fail(errno);
    }
    if (FirstError == 0 && ::renameat(Dir.Get(), TempName.c_str(), Dir.Get(), Name.c_str()) != 0) {
        Fail(errno);
    }
    if (FirstError != 0) {
        Discard();
        return false;
    }
    TempName.clear();
    Guard.reset();
    // Makes the rename itself durable; the file is in place whatever this says.
    ::fsync(Dir.Get());
    return true;
}

} // namespace qvr
