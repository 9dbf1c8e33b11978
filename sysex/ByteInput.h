#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace qvr {

// The bytes of a preset file, taken front to back. They come in blocks, so
// that a message is decoded from memory without a call per byte. The end of
// the input is where its bytes end or where reading first fails.
class TByteInput {
public:
    TByteInput() = default;
    virtual ~TByteInput() = default;
    TByteInput(const TByteInput&) = delete;
    TByteInput& operator=(const TByteInput&) = delete;

    // The next byte; false at the end of the input.
    bool Take(uint8_t& b) {
        if (!Fill()) {
            return false;
        }
        b = *Next++;
        return true;
    }
    // Makes at least one byte available in [Begin(), Limit()); false at the end.
    bool Fill() { return Next != End || (Refill() && Next != End); }
    const uint8_t* Begin() const { return Next; }
    const uint8_t* Limit() const { return End; }
    // Takes `count` of the available bytes.
    void Consume(size_t count) { Next += count; }

protected:
    // Sets [Next, End) to the following bytes; false at the end.
    virtual bool Refill() = 0;

    const uint8_t* Next = nullptr;
    const uint8_t* End = nullptr;
};

// Bytes already in memory.
class TMemoryInput : public TByteInput {
public:
    TMemoryInput(const void* data, size_t size) {
        Next = static_cast<const uint8_t*>(data);
        End = Next + size;
    }

private:
    bool Refill() override { return false; }
};

// A stream, one byte at a time: the stream stands right after the last byte
// taken, so that reading can go on with the stream itself.
class TStreamInput : public TByteInput {
public:
    explicit TStreamInput(std::istream& in) : In(in) {}

private:
    bool Refill() override;

    std::istream& In;
    uint8_t Byte = 0;
};

// A file read in large blocks through a descriptor that is already open and
// stays open (its owner closes it). The end of the input is where the bytes
// end or where reading first fails, unless ReadBlock throws.
class TFileInput : public TByteInput {
public:
    explicit TFileInput(int fd) : Fd(fd) {}

    static constexpr size_t BlockSize = 256 * 1024;

protected:
    // Reads up to `size` bytes into `buffer`: how many came, 0 at the end or
    // on a failure. A reader with limits of its own throws instead.
    virtual size_t ReadBlock(uint8_t* buffer, size_t size);

private:
    bool Refill() override;

    int Fd = -1;
    bool Ended = false;
    std::unique_ptr<uint8_t[]> Block;
};

} // namespace qvr
