#pragma once

#include "platform/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

namespace qvr {

// The most any program reads of one input, file or stream: a device's whole backup is far
// smaller. A file larger than this is refused before a byte of it is read.
inline constexpr uint64_t MaxInputSize = uint64_t{256} << 20;

// "the file is larger than 256 MiB": why an input past MaxInputSize is not read.
std::string InputTooLargeText();

// Thrown by TInputFile::Read once an input has gone past MaxInputSize: a stream, or a file
// whose size said less than it holds (a file of /proc, one that grows while it is read).
class EInputTooLarge : public std::runtime_error {
public:
    EInputTooLarge() : std::runtime_error(InputTooLargeText()) {}
};

// What an input may be.
enum class TInputRule {
    // A regular file; a symbolic link the path ends in is followed, since the user named it.
    File,
    // A regular file that a search of a folder found: a symbolic link is refused.
    FoundFile,
    // A regular file, or a stream the user named: a pipe, a socket or a character device.
    FileOrStream,
};

// One input, opened once: its kind and size are checked on the open descriptor, and it is
// then read, hashed and parsed through that same descriptor, so the file looked at is the file
// read, whatever is renamed or planted meanwhile. Opening never waits: a FIFO or a device opens
// without blocking and is refused unless the rule takes a stream. Reading never goes past
// MaxInputSize.
class TInputFile {
public:
    // Not open: Problem() is empty.
    TInputFile() = default;

    // Opens `path` by `rule`; when it cannot be read, not open and Problem() says why in the
    // system's words ("No such file or directory", "Is a directory", "Not a regular file",
    // "Is a symbolic link", the too-large text).
    static TInputFile Open(const std::string& path, TInputRule rule);
    // The input that the open descriptor `fd` reads (standard input, which stays open): any
    // kind but a folder, a regular file only up to MaxInputSize.
    static TInputFile Borrow(int fd);

    bool IsOpen() const { return Fd.IsOpen(); }
    const std::string& Problem() const { return Why; }
    // Not open because the path names nothing (or goes through a file).
    bool IsMissing() const { return Missing; }
    int Descriptor() const { return Fd.Get(); }
    // What fstat said of the open descriptor.
    const struct stat& Status() const { return Info; }
    bool IsStream() const { return !S_ISREG(Info.st_mode); }

    // `check` runs before each read; it may throw to end the reading (a stop asked for).
    void CheckBeforeRead(std::function<void()> check) { Check = std::move(check); }
    // Reads up to `size` bytes: how many came, 0 at the end. Throws EInputTooLarge once more
    // than MaxInputSize bytes have come, std::system_error when reading fails.
    size_t Read(void* buffer, size_t size);
    // Goes back to the first byte of a regular file, so that it is read again (hashed, then
    // parsed); false for a stream or when seeking fails.
    bool Rewind();

private:
    TFileDescriptor Fd;
    struct stat Info {};
    std::string Why;
    bool Missing = false;
    uint64_t Taken = 0; // bytes read since the start
    std::function<void()> Check;
};

// Every byte of the open `file` from where it stands, in memory (at most MaxInputSize). Throws
// EInputTooLarge or std::system_error as Read does.
std::string ReadWhole(TInputFile& file);

// Why the file cannot be read as a preset file (TInputRule::File); empty when it can.
std::string WhyNotReadable(const std::string& path);

} // namespace qvr
