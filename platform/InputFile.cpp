#include "platform/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace qvr {

namespace {

bool IsStreamKind(mode_t mode) {
    return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode);
}

// Why an input of this kind and size is not read by `rule`; empty when it is.
std::string Refusal(const struct stat& info, TInputRule rule) {
    if (S_ISDIR(info.st_mode)) {
        return std::strerror(EISDIR);
    }
    if (S_ISREG(info.st_mode)) {
        return static_cast<uint64_t>(info.st_size) > MaxInputSize ? InputTooLargeText()
                                                                  : std::string();
    }
    if (rule == TInputRule::FileOrStream && IsStreamKind(info.st_mode)) {
        return {};
    }
    return "Not a regular file";
}

} // namespace

std::string InputTooLargeText() {
    return "the file is larger than " + std::to_string(MaxInputSize >> 20) + " MiB";
}

TInputFile TInputFile::Open(const std::string& path, TInputRule rule) {
    TInputFile input;
    if (path.empty()) {
        input.Missing = true;
        input.Why = std::strerror(ENOENT);
        return input;
    }
    // Without blocking: opening a FIFO would otherwise wait for a writer.
    int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (rule == TInputRule::FoundFile) {
        flags |= O_NOFOLLOW;
    }
    TFileDescriptor fd(::open(path.c_str(), flags));
    if (!fd.IsOpen()) {
        input.Missing = errno == ENOENT || errno == ENOTDIR;
        input.Why = rule == TInputRule::FoundFile && errno == ELOOP ? "Is a symbolic link"
                                                                    : std::strerror(errno);
        return input;
    }
    if (::fstat(fd.Get(), &input.Info) != 0) {
        input.Why = std::strerror(errno);
        return input;
    }
    if (input.Why = Refusal(input.Info, rule); !input.Why.empty()) {
        return input;
    }
    // Reads wait for their bytes again: a stream the user named is read as it comes.
    const int status = ::fcntl(fd.Get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) {
        input.Why = std::strerror(errno);
        return input;
    }
    input.Fd = std::move(fd);
    return input;
}

TInputFile TInputFile::Borrow(int fd) {
    TInputFile input;
    // A copy of our own to close; it reads on from where the descriptor stands.
    TFileDescriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.IsOpen() || ::fstat(copy.Get(), &input.Info) != 0) {
        input.Why = std::strerror(errno);
        return input;
    }
    if (S_ISDIR(input.Info.st_mode)) {
        input.Why = std::strerror(EISDIR);
    } else if (S_ISREG(input.Info.st_mode)) {
        input.Why = Refusal(input.Info, TInputRule::File);
    }
    if (input.Why.empty()) {
        input.Fd = std::move(copy);
    }
    return input;
}

size_t TInputFile::Read(void* buffer, size_t size) {
    if (Check) {
        Check();
    }
    // One byte past the limit is enough to tell an input that goes on.
    const uint64_t room = MaxInputSize - std::min(Taken, MaxInputSize) + 1;
    const auto wanted = static_cast<size_t>(std::min<uint64_t>(size, room));
    ssize_t got = 0;
    do {
        got = ::read(Fd.Get(), buffer, wanted);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw std::system_error(errno, std::generic_category());
    }
    Taken += static_cast<uint64_t>(got);
    if (Taken > MaxInputSize) {
        throw EInputTooLarge();
    }
    return static_cast<size_t>(got);
}

bool TInputFile::Rewind() {
    if (IsStream() || ::lseek(Fd.Get(), 0, SEEK_SET) != 0) {
        return false;
    }
    Taken = 0;
    return true;
}

std::string ReadWhole(TInputFile& file) {
    // A regular file says its size; a stream grows the buffer as it comes.
    std::string bytes(file.IsStream()
                          ? 0
                          : static_cast<size_t>(std::min<uint64_t>(
                                static_cast<uint64_t>(file.Status().st_size), MaxInputSize)),
                      '\0');
    size_t filled = 0;
    // The size said is only where reading starts: the file may hold more or less by now.
    for (;;) {
        if (filled == bytes.size()) {
            // Room for one byte past the limit, which Read refuses.
            bytes.resize(std::min<size_t>(filled + std::max<size_t>(filled / 2, 64 << 10),
                                          MaxInputSize + 1));
        }
        const size_t got = file.Read(bytes.data() + filled, bytes.size() - filled);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    bytes.resize(filled);
    return bytes;
}

std::string WhyNotReadable(const std::string& path) {
    return TInputFile::Open(path, TInputRule::File).Problem();
}

} // namespace qvr
