#pragma once

#include "base/ByteTarget.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qvr {

// Bytes kept aside until it is known that they are wanted: in memory up to
// MemoryLimit, beyond that in an unnamed temporary file that disappears with
// the spool (or the process), written MemoryLimit bytes at a time. A failure (no temporary file,
// disk full) is kept in Error() and drops the rest.
class TSpool : public IByteTarget {
public:
    static constexpr size_t MemoryLimit = 1u << 20;

    TSpool() = default;
    ~TSpool() override;
    TSpool(const TSpool&) = delete;
    TSpool& operator=(const TSpool&) = delete;

    void Put(std::string_view bytes) override;
    // Hands every byte spooled so far to `out`, in order; false (Error() set)
    // when the temporary file cannot be read back.
    bool CopyTo(IByteTarget& out);
    bool Empty() const { return Memory.empty() && FileSize == 0; }

    // errno of the first failure, 0 when there was none.
    int Error() const { return FirstError; }

private:
    // Moves the bytes in memory to the end of the file, which it makes first.
    bool Flush();

    std::string Memory;
    int Fd = -1;
    size_t FileSize = 0;
    int FirstError = 0;
};

// Writes to a descriptor that is already open (standard output), keeping the
// first failure; the descriptor is not closed.
class TDescriptorTarget : public IByteTarget {
public:
    explicit TDescriptorTarget(int fd) : Fd(fd) {}
    void Put(std::string_view bytes) override;
    int Error() const { return FirstError; }

private:
    int Fd;
    int FirstError = 0;
};

} // namespace qvr
