#include "sysex/ByteInput.h"

#include <cerrno>
#include <fcntl.h>
#include <istream>
#include <unistd.h>

namespace qvr {

bool TStreamInput::Refill() {
    // An unformatted read: nothing is skipped or translated.
    const std::istream::int_type c = In.get();
    if (std::istream::traits_type::eq_int_type(c, std::istream::traits_type::eof())) {
        return false;
    }
    Byte = static_cast<uint8_t>(c);
    Next = &Byte;
    End = Next + 1;
    return true;
}

TFileInput::TFileInput(const std::string& fileName)
    : Fd(fileName.empty() ? -1 : ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)), Owned(true) {}

TFileInput::TFileInput(int fd) : Fd(fd) {}

TFileInput::~TFileInput() {
    if (Owned && Fd >= 0) {
        ::close(Fd);
    }
}

bool TFileInput::Refill() {
    if (Fd < 0) {
        return false;
    }
    if (!Block) {
        Block = std::make_unique_for_overwrite<uint8_t[]>(BlockSize);
    }
    ssize_t n = 0;
    do {
        n = ::read(Fd, Block.get(), BlockSize);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        // The end, or a failure to read on, which ends the input the same way.
        if (Owned) {
            ::close(Fd);
        }
        Fd = -1;
        return false;
    }
    Next = Block.get();
    End = Next + n;
    return true;
}

} // namespace qvr
