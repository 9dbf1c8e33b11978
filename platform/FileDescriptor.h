#pragma once

#include <unistd.h>
#include <utility>

namespace qvr {

// Owns one open file descriptor and closes it on every path out; -1 holds nothing.
class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(TFileDescriptor&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            Fd = std::exchange(other.Fd, -1);
        }
        return *this;
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return Fd; }
    bool IsOpen() const { return Fd >= 0; }
    // False when close reports an error (a write that did not reach the file).
    bool Close() {
        const int fd = std::exchange(Fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int Fd = -1;
};

} // namespace qvr
