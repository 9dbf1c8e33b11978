#pragma once

#include "sysex/ByteInput.h"

#include <cstdint>
#include <exception>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvr {

// Frame errors of a message. It carries no text: whoever catches it words the problem.
class EMidiSysExInvalid : public std::exception {};

// A message whose body is longer than a reader takes; the text names the limit.
class EMidiSysExTooLong : public std::length_error {
public:
    explicit EMidiSysExTooLong(int32_t limit);
};

// One MIDI system-exclusive message: 0xF0, manufacturer id (1 or 3 bytes), device id, body, 0xF7.
// One object is reused for every message of a file: each header read replaces the identifiers
// and restarts the checksum, each body read replaces the body.
class TMidiSysEx {
public:
    explicit TMidiSysEx(uint8_t checksumKind);
    virtual ~TMidiSysEx();

    virtual int32_t ReadMessage(TByteInput& in);
    virtual void WriteMessage(std::ostream& out);
    // False when the input ends before the first byte of a message.
    virtual bool ReadHeader(TByteInput& in);
    virtual void WriteHeader(std::ostream& out);
    // Reads the body up to 0xF7 (or the end of the input); returns the number of bytes stored.
    virtual int32_t ReadData(TByteInput& in, bool packed);
    virtual void WriteData(std::ostream& out, bool packed);

    // The same from a stream, byte by byte: the stream stands right after the message's bytes.
    int32_t ReadMessage(std::istream& in);
    bool ReadHeader(std::istream& in);
    int32_t ReadData(std::istream& in, bool packed);

    // The next body byte as 0..255; -1 past the end or when no body was read.
    int32_t NextByte() {
        if (Cursor < 0) {
            if (!Data) {
                return -1;
            }
            Cursor = 0;
        }
        return Cursor < DataLength ? (*Data)[static_cast<size_t>(Cursor++)] : -1;
    }
    // dest := bytes from the cursor up to and including the terminator (when met before the
    // end of the body); returns their number, or -1 when no body was read.
    int32_t ReadString(std::string& dest, uint8_t terminator);

    void UpdateChecksum(uint8_t b) {
        // Bytes enter as signed 8-bit values; unsigned arithmetic keeps the wrap-around defined.
        const auto value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(b)));
        const auto sum = static_cast<uint32_t>(Checksum);
        if (ChecksumKind == 1) {
            Checksum = static_cast<int32_t>(sum ^ value);
        } else if (ChecksumKind == 2) {
            Checksum = static_cast<int32_t>(sum + value);
        }
    }
    static bool IsValidDeviceId(uint8_t b);

    int32_t GetManufacturerId() const { return ManufacturerId; }
    int32_t GetChecksum() const { return Checksum; }
    uint8_t GetDeviceId() const { return DeviceId; }
    int32_t GetDataLength() const { return DataLength; }
    const uint8_t* GetData() const { return Data ? Data->data() : nullptr; }
    // Size of the body buffer: BlockSize after a body read, grown by BlockSize as it fills.
    int32_t GetCapacity() const { return Capacity; }
    int32_t GetBlockSize() const { return BlockSize; }

    // The longest body a message may have. The devices' messages hold well under a kilobyte;
    // a megabyte leaves room for any real file and keeps the memory a reader needs small.
    static constexpr int32_t MaxBodyLength = int32_t{1} << 20;

    // Write side: the message WriteMessage produces.
    void SetManufacturerId(int32_t id) { ManufacturerId = id; }
    void SetDeviceId(uint8_t id) { DeviceId = id; }
    void SetData(std::vector<uint8_t> bytes);

protected:
    int32_t BlockSize = 1024;
    // Largest body the buffer may hold; a longer body fails with EMidiSysExTooLong.
    int32_t MaxDataLength = MaxBodyLength;
    uint8_t ChecksumKind;
    int32_t Checksum = 0;
    // A one-byte id m is held as m * 65536, a three-byte id 0x00 h l as h * 256 + l; -1: none.
    int32_t ManufacturerId = -1;
    uint8_t DeviceId = 0xFF;
    // The body buffer, kept from message to message (its size may exceed the capacity);
    // DataLength is the number of bytes in use. Unset until a body is read or set.
    std::optional<std::vector<uint8_t>> Data;
    int32_t Capacity = 0;
    int32_t Cursor = -1; // -1: unset
    int32_t DataLength = 0;
};

} // namespace qvr
