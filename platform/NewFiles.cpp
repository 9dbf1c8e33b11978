#include "platform/NewFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace {

// Files and bytes a batch holds before it is synced and named: few syncs, few descriptors.
constexpr size_t BatchFiles = 256;
constexpr size_t BatchBytes = size_t{32} << 20;
// A temporary name is guarded against signals, and there are only so many guards.
constexpr size_t NamedBatchFiles = 16;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

unsigned TempNumber() {
    static std::atomic<unsigned> counter{0};
    return counter.fetch_add(1);
}

} // namespace

struct TNewFiles::TPending {
    TFileDescriptor Fd;
    std::string TempName;                  // empty for a file without a name
    std::unique_ptr<TTempFileGuard> Guard; // held in place: a guard does not move
    TNameSource Name;
};

TNewFiles::TNewFiles(int dir) : Dir(dir), Mode(NewFileMode()) {}

TNewFiles::~TNewFiles() {
    // Files that were never named: an unnamed one goes with its descriptor.
    for (TPending& file : Waiting) {
        if (!file.TempName.empty()) {
            ::unlinkat(Dir, file.TempName.c_str(), 0);
        }
    }
}

bool TNewFiles::Fail(int error, std::string name) {
    if (FirstError == 0) {
        FirstError = error != 0 ? error : EIO;
        FailedAt = std::move(name);
    }
    return false;
}

bool TNewFiles::Add(std::string_view bytes, TNameSource name) {
    if (FirstError != 0) {
        return false;
    }
    TPending file;
    file.Name = std::move(name);
    if (Unnamed) {
        file.Fd = TFileDescriptor(::openat(Dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (!file.Fd.IsOpen() && (errno == EMFILE || errno == ENFILE) && !Waiting.empty()) {
            if (!Flush()) {
                return false;
            }
            file.Fd = TFileDescriptor(::openat(Dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        }
        // File systems without unnamed files say so in several ways.
        Unnamed = file.Fd.IsOpen() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL);
    }
    for (int attempt = 0; !file.Fd.IsOpen() && !Unnamed && attempt < 100; ++attempt) {
        std::string temp = TempFileName("new", TempNumber());
        const TEndingSignalsHeld held;
        file.Fd = TFileDescriptor(::openat(
            Dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Fd.IsOpen()) {
            file.Guard = std::make_unique<TTempFileGuard>(Dir, temp);
            file.TempName = std::move(temp);
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (!file.Fd.IsOpen()) {
        Fail(errno);
        Flush();
        return false;
    }
    if (!WriteAll(file.Fd.Get(), bytes) || ::fchmod(file.Fd.Get(), Mode) != 0) {
        Fail(errno);
        if (!file.TempName.empty()) {
            ::unlinkat(Dir, file.TempName.c_str(), 0);
        }
        Flush();
        return false;
    }
    Waiting.push_back(std::move(file));
    WaitingBytes += bytes.size();
    if (Waiting.size() >= (Unnamed ? BatchFiles : NamedBatchFiles) || WaitingBytes >= BatchBytes) {
        return Flush();
    }
    return true;
}

bool TNewFiles::Finish() {
    return Flush() && FirstError == 0;
}

// One sync puts every waiting file on the disk; then each gets its name, in order.
bool TNewFiles::Flush() {
    bool ok = ::syncfs(Dir) == 0 || Fail(errno);
    size_t named = 0;
    while (ok && named < Waiting.size()) {
        ok = Link(Waiting[named]);
        named += ok ? 1 : 0;
    }
    for (size_t i = named; i < Waiting.size(); ++i) {
        if (!Waiting[i].TempName.empty()) {
            ::unlinkat(Dir, Waiting[i].TempName.c_str(), 0);
        }
    }
    Waiting.clear();
    WaitingBytes = 0;
    // Makes the new names durable; the files are in place whatever this says.
    ::fsync(Dir);
    return ok;
}

bool TNewFiles::Link(TPending& file) {
    for (;;) {
        const std::string name = file.Name();
        int result = 0;
        if (file.TempName.empty()) {
            // The kernel's name of the open file; linkat never follows or replaces the new name.
            const std::string self = "/proc/self/fd/" + std::to_string(file.Fd.Get());
            result = ::linkat(AT_FDCWD, self.c_str(), Dir, name.c_str(), AT_SYMLINK_FOLLOW);
        } else {
            result = ::renameat2(Dir, file.TempName.c_str(), Dir, name.c_str(), RENAME_NOREPLACE);
            if (result != 0 && errno == EINVAL) {
                // No such rename here: a link fails on a taken name just as well.
                result = ::linkat(Dir, file.TempName.c_str(), Dir, name.c_str(), 0);
                if (result == 0) {
                    ::unlinkat(Dir, file.TempName.c_str(), 0);
                }
            }
        }
        if (result == 0) {
            file.TempName.clear();
            file.Guard.reset();
            Names.push_back(name);
            return true;
        }
        if (errno != EEXIST) {
            return Fail(errno, name);
        }
    }
}

} // namespace qvr
