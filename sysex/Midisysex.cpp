#include "sysex/Midisysex.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <string>

namespace qvr {

namespace {

constexpr uint8_t StartByte = 0xF0;
constexpr uint8_t EndByte = 0xF7;
constexpr int32_t GroupSize = 7; // data bytes per packing byte

uint8_t TakeHeaderByte(TByteInput& in) {
    uint8_t b = 0;
    if (!in.Take(b)) {
        throw EMidiSysExInvalid();
    }
    return b;
}

void PutByte(std::ostream& out, uint8_t b) {
    out.put(static_cast<char>(b));
}

} // namespace

EMidiSysExTooLong::EMidiSysExTooLong(int32_t limit)
    : std::length_error("System exclusive message longer than " + std::to_string(limit) +
                        " bytes") {}

TMidiSysEx::TMidiSysEx(uint8_t checksumKind) : ChecksumKind(checksumKind) {}

TMidiSysEx::~TMidiSysEx() = default;

int32_t TMidiSysEx::ReadMessage(TByteInput& in) {
    if (!ReadHeader(in)) {
        return -1;
    }
    return ReadData(in, false);
}

int32_t TMidiSysEx::ReadMessage(std::istream& in) {
    TStreamInput bytes(in);
    return ReadMessage(bytes);
}

bool TMidiSysEx::ReadHeader(std::istream& in) {
    TStreamInput bytes(in);
    return ReadHeader(bytes);
}

int32_t TMidiSysEx::ReadData(std::istream& in, bool packed) {
    TStreamInput bytes(in);
    return ReadData(bytes, packed);
}

void TMidiSysEx::WriteMessage(std::ostream& out) {
    WriteHeader(out);
    WriteData(out, false);
}

bool TMidiSysEx::ReadHeader(TByteInput& in) {
    uint8_t b = 0;
    if (!in.Take(b)) {
        return false;
    }
    if (b != StartByte) {
        throw EMidiSysExInvalid();
    }
    // Every message starts a fresh checksum with its first manufacturer byte.
    const uint8_t first = TakeHeaderByte(in);
    Checksum = first;
    if (first == 0x00) {
        const uint8_t high = TakeHeaderByte(in);
        UpdateChecksum(high);
        const uint8_t low = TakeHeaderByte(in);
        UpdateChecksum(low);
        ManufacturerId = high * 256 + low;
    } else {
        ManufacturerId = first * 65536;
    }
    const uint8_t device = TakeHeaderByte(in);
    UpdateChecksum(device);
    if (!IsValidDeviceId(device)) {
        throw EMidiSysExInvalid();
    }
    DeviceId = device;
    return true;
}

void TMidiSysEx::WriteHeader(std::ostream& out) {
    if (ManufacturerId == -1) {
        throw EMidiSysExInvalid();
    }
    PutByte(out, StartByte);
    const auto oneByteId = static_cast<uint8_t>((ManufacturerId >> 16) & 0xFF);
    if (oneByteId != 0) {
        PutByte(out, oneByteId);
    } else {
        PutByte(out, 0x00);
        PutByte(out, static_cast<uint8_t>((ManufacturerId >> 8) & 0xFF));
        PutByte(out, static_cast<uint8_t>(ManufacturerId & 0xFF));
    }
    PutByte(out, DeviceId);
}

int32_t TMidiSysEx::ReadData(TByteInput& in, bool packed) {
    // The buffer stays from message to message; only the capacity starts afresh.
    DataLength = 0;
    Cursor = -1;
    if (!Data) {
        Data.emplace();
    }
    std::vector<uint8_t>& buffer = *Data;
    Capacity = BlockSize;
    if (buffer.size() < static_cast<size_t>(Capacity)) {
        buffer.resize(static_cast<size_t>(Capacity));
    }

    int32_t count = 0;
    int32_t group = 0; // data bytes left in the current packing group
    uint8_t highBits = 0;
    // Kept in locals while the loop runs: stores into the byte buffer could alias members.
    auto sum = static_cast<uint32_t>(Checksum);
    const uint8_t kind = ChecksumKind;
    int32_t capacity = Capacity;
    uint8_t* store = buffer.data();
    const auto keep = [&] {
        Checksum = static_cast<int32_t>(sum);
        Capacity = capacity;
        DataLength = count;
        Cursor = 0;
    };
    try {
        // Block by block: the bytes up to the end byte (or the block's end) are decoded from
        // memory, and only those are taken from the input.
        while (in.Fill()) {
            const uint8_t* const begin = in.Begin();
            const size_t available = static_cast<size_t>(in.Limit() - begin);
            const void* end = std::memchr(begin, EndByte, available);
            const size_t length =
                end == nullptr ? available
                               : static_cast<size_t>(static_cast<const uint8_t*>(end) - begin);
            for (size_t i = 0; i < length; ++i) {
                // A whole packed group at once: the packing byte and its seven data bytes.
                if (packed && kind == 1 && group == 0 && length - i >= 8 &&
                    capacity - count > GroupSize) {
                    const uint8_t high = begin[i];
                    sum ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(high)));
                    for (int32_t k = 0; k < GroupSize; ++k) {
                        const uint8_t data = begin[i + 1 + static_cast<size_t>(k)];
                        sum ^=
                            static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(data)));
                        store[count + k] = static_cast<uint8_t>(data | ((high << (k + 1)) & 0x80));
                    }
                    count += GroupSize;
                    i += GroupSize;
                    continue;
                }
                uint8_t b = begin[i];
                // Packing bytes count as well. Bytes enter as signed 8-bit values; unsigned
                // arithmetic keeps the wrap-around defined.
                const auto value =
                    static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(b)));
                if (kind == 1) {
                    sum ^= value;
                } else if (kind == 2) {
                    sum += value;
                }
                if (packed) {
                    if (--group < 0) {
                        highBits = b;
                        group = GroupSize;
                        continue;
                    }
                    // Bit 6 of the packing byte goes to the first byte of its group, bit 0 to
                    // the seventh.
                    highBits = static_cast<uint8_t>(highBits << 1);
                    b = static_cast<uint8_t>(b | (highBits & 0x80));
                }
                if (count == capacity) {
                    // Only at the limit: the buffer grows as soon as it fills below it. What
                    // was stored stays for the caller to see.
                    in.Consume(i + 1);
                    throw EMidiSysExTooLong(MaxDataLength);
                }
                store[count] = b;
                ++count;
                if (count == capacity && capacity < MaxDataLength) {
                    const int32_t grown = capacity + std::min(BlockSize, MaxDataLength - capacity);
                    if (buffer.size() < static_cast<size_t>(grown)) {
                        try {
                            buffer.resize(static_cast<size_t>(grown));
                        } catch (...) {
                            in.Consume(i + 1);
                            throw;
                        }
                        store = buffer.data();
                    }
                    capacity = grown;
                }
            }
            if (end != nullptr) {
                in.Consume(length + 1); // the end byte too
                break;
            }
            in.Consume(length);
        }
    } catch (...) {
        keep();
        throw;
    }
    keep();
    return count;
}

void TMidiSysEx::WriteData(std::ostream& out, bool packed) {
    const uint8_t* bytes = GetData();
    for (int32_t i = 0; i < DataLength; i += GroupSize) {
        const int32_t n = std::min(GroupSize, DataLength - i);
        if (packed) {
            uint8_t highBits = 0;
            for (int32_t k = 0; k < n; ++k) {
                if ((bytes[i + k] & 0x80) != 0) {
                    highBits = static_cast<uint8_t>(highBits | (0x40 >> k));
                }
            }
            PutByte(out, highBits);
        }
        for (int32_t k = 0; k < n; ++k) {
            PutByte(out, packed ? static_cast<uint8_t>(bytes[i + k] & 0x7F) : bytes[i + k]);
        }
    }
    PutByte(out, EndByte);
}

int32_t TMidiSysEx::ReadString(std::string& dest, uint8_t terminator) {
    dest.clear();
    if (!Data) {
        return -1;
    }
    if (Cursor < 0) {
        Cursor = 0;
    }
    const std::vector<uint8_t>& buffer = *Data;
    const int32_t start = Cursor;
    while (Cursor < DataLength && buffer[static_cast<size_t>(Cursor)] != terminator) {
        ++Cursor;
    }
    if (Cursor < DataLength) {
        ++Cursor; // the terminator is copied too
    }
    dest.assign(buffer.begin() + start, buffer.begin() + Cursor);
    return Cursor - start;
}

bool TMidiSysEx::IsValidDeviceId(uint8_t b) {
    return b <= 0x10 || b == 0x7E || b == 0x7F;
}

void TMidiSysEx::SetData(std::vector<uint8_t> bytes) {
    DataLength = static_cast<int32_t>(bytes.size());
    Capacity = DataLength;
    Data = std::move(bytes);
    Cursor = 0;
}

} // namespace qvr
