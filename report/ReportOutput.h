#pragma once

#include "base/ByteTarget.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace qvr {

// What a writer has written, on its way to the target: bytes are appended at
// the end and go on to the target in blocks, so that the buffer holds about
// one block whatever the size of the report.
class TReportOutput {
public:
    explicit TReportOutput(IByteTarget& target)
        : Target(target), Text(std::make_unique_for_overwrite<char[]>(2 * BlockSize)),
          Capacity(2 * BlockSize) {}

    // One or more pieces, one after the other (one test for room). The end is
    // kept in a local: a store through the byte pointer could otherwise
    // change Size for all the compiler knows, and it would be read again
    // after every piece.
    template <class... TPieces> void Append(const TPieces&... pieces) {
        const size_t size = (Length(pieces) + ...);
        if (Size + size > Capacity) {
            Grow(size);
        }
        char* out = Text.get() + Size;
        ((out = Put(out, pieces)), ...);
        Size += size;
    }

    // Full blocks go on to the target.
    void Settle();
    // Hands everything on.
    void Finish();

private:
    // Large enough that a write call costs little per byte, small enough to
    // stay in the processor's cache while the kernel copies it.
    static constexpr size_t BlockSize = 256 * 1024;
    static size_t Length(std::string_view text) { return text.size(); }
    static size_t Length(char) { return 1; }
    static size_t Length(const char* text) { return std::char_traits<char>::length(text); }
    template <size_t N> static size_t Length(const char (&)[N]) { return N - 1; }
    static char* Put(char* out, char c) {
        *out = c;
        return out + 1;
    }
    static char* Put(char* out, std::string_view text) {
        CopySmall(out, text.data(), text.size());
        return out + text.size();
    }
    // Most pieces are a few bytes: two overlapping word moves beat a loop per
    // byte and a library call alike.
    static void CopySmall(char* out, const char* in, size_t n) {
        if (n > 16) {
            std::memcpy(out, in, n);
        } else if (n >= 8) {
            CopyEnds<8>(out, in, n);
        } else if (n >= 4) {
            CopyEnds<4>(out, in, n);
        } else if (n > 0) {
            out[0] = in[0];
            out[n / 2] = in[n / 2];
            out[n - 1] = in[n - 1];
        }
    }
    // The first and the last W bytes of W..2W bytes.
    template <size_t W> static void CopyEnds(char* out, const char* in, size_t n) {
        char head[W];
        char tail[W];
        std::memcpy(head, in, W);
        std::memcpy(tail, in + n - W, W);
        std::memcpy(out, head, W);
        std::memcpy(out + n - W, tail, W);
    }
    // Makes room for `more` bytes.
    void Grow(size_t more);

    IByteTarget& Target;
    std::unique_ptr<char[]> Text;
    size_t Size = 0;
    size_t Capacity;
};

} // namespace qvr
