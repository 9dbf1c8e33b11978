#include "platform/Spool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace qvr {

namespace {

// Writes all bytes; the errno of the failure otherwise.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : ENOSPC;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// A file without a name in the temporary folder: nothing to clean up after a crash.
int UnnamedTempFile() {
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr || *dir == '\0') {
        dir = "/tmp";
    }
    const int fd = ::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        return fd;
    }
    // A file system without unnamed files: a named one, unlinked at once.
    std::string pattern = std::string(dir) + "/qvr-spool-XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0) {
        ::unlink(pattern.c_str());
    }
    return named;
}

} // namespace

TSpool::~TSpool() {
    if (Fd >= 0) {
        ::close(Fd);
    }
}

bool TSpool::Flush() {
    if (Fd < 0) {
        Fd = UnnamedTempFile();
        if (Fd < 0) {
            FirstError = errno != 0 ? errno : EIO;
            return false;
        }
    }
    FirstError = WriteAll(Fd, Memory);
    FileSize += Memory.size();
    Memory.clear();
    return FirstError == 0;
}

void TSpool::Put(std::string_view bytes) {
    if (FirstError != 0) {
        return;
    }
    // Beyond the first MemoryLimit bytes, memory is the file's buffer: a report's many short
    // messages go out in large writes.
    if (Memory.size() + bytes.size() <= MemoryLimit) {
        Memory.append(bytes);
        return;
    }
    if (!Flush()) {
        return;
    }
    if (bytes.size() <= MemoryLimit) {
        Memory.append(bytes);
        return;
    }
    FirstError = WriteAll(Fd, bytes);
    FileSize += bytes.size();
}

bool TSpool::CopyTo(IByteTarget& out) {
    if (FirstError != 0) {
        return false;
    }
    if (Fd < 0) {
        out.Put(Memory);
        return true;
    }
    if (!Flush()) {
        return false;
    }
    constexpr size_t BlockSize = 256 * 1024;
    const auto block = std::make_unique<char[]>(BlockSize);
    off_t at = 0;
    while (static_cast<size_t>(at) < FileSize) {
        const ssize_t n = ::pread(Fd, block.get(), BlockSize, at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            FirstError = n < 0 ? errno : EIO;
            return false;
        }
        out.Put(std::string_view(block.get(), static_cast<size_t>(n)));
        at += n;
    }
    return true;
}

void TDescriptorTarget::Put(std::string_view bytes) {
    if (FirstError == 0) {
        FirstError = WriteAll(Fd, bytes);
    }
}

} // namespace qvr
