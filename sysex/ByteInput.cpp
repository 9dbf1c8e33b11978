#include "sysex/ByteInput.h"

#include <cerrno>
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

size_t TFileInput::ReadBlock(uint8_t* buffer, size_t size) {
    ssize_t n = 0;
    do {
        n = ::read(Fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    // A failure to read on ends the input the same way as its end.
    return n > 0 ? static_cast<size_t>(n) : 0;
}

bool TFileInput::Refill() {
    if (Ended) {
        return false;
    }
    if (!Block) {
        Block = std::make_unique_for_overwrite<uint8_t[]>(BlockSize);
    }
    const size_t n = ReadBlock(Block.get(), BlockSize);
    if (n == 0) {
        Ended = true;
        return false;
    }
    Next = Block.get();
    End = Next + n;
    return true;
}

} // namespace qvr
