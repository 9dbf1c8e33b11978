#include "sysex/Midisysex.h"

#include <algorithm>
#include <istream>
#include <new>
#include <ostream>

namespace qvr {

namespace {

constexpr uint8_t StartByte = 0xF0;
constexpr uint8_t EndByte = 0xF7;
constexpr int32_t GroupSize = 7; // data bytes per packing byte

// One unformatted byte: nothing is skipped or translated, so 0x0A, 0x0D, 0x1A and 0x20 are data.
bool TakeByte(std::istream& in, uint8_t& b) {
    const std::istream::int_type c = in.get();
    if (std::istream::traits_type::eq_int_type(c, std::istream::traits_type::eof())) {
        return false;
    }
    b = static_cast<uint8_t>(c);
    return true;
}

uint8_t TakeHeaderByte(std::istream& in) {
    uint8_t b = 0;
    if (!TakeByte(in, b)) {
        throw EMidiSysExInvalid();
    }
    return b;
}

void PutByte(std::ostream& out, uint8_t b) {
    out.put(static_cast<char>(b));
}

} // namespace

TMidiSysEx::TMidiSysEx(uint8_t checksumKind) : ChecksumKind(checksumKind) {}

TMidiSysEx::~TMidiSysEx() = default;

int32_t TMidiSysEx::ReadMessage(std::istream& in) {
    if (!ReadHeader(in)) {
        return -1;
    }
    return ReadData(in, false);
}

void TMidiSysEx::WriteMessage(std::ostream& out) {
    WriteHeader(out);
    WriteData(out, false);
}

bool TMidiSysEx::ReadHeader(std::istream& in) {
    uint8_t b = 0;
    if (!TakeByte(in, b)) {
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

int32_t TMidiSysEx::ReadData(std::istream& in, bool packed) {
    Data.reset();
    DataLength = 0;
    Cursor = -1;
    Data.emplace(static_cast<size_t>(BlockSize));
    std::vector<uint8_t>& buffer = *Data;

    int32_t count = 0;
    int32_t group = 0; // data bytes left in the current packing group
    uint8_t highBits = 0;
    uint8_t b = 0;
    try {
        while (TakeByte(in, b) && b != EndByte) {
            UpdateChecksum(b); // packing bytes count as well
            if (packed) {
                if (--group < 0) {
                    highBits = b;
                    group = GroupSize;
                    continue;
                }
                // Bit 6 of the packing byte goes to the first byte of its group, bit 0 to the
                // seventh.
                highBits = static_cast<uint8_t>(highBits << 1);
                b = static_cast<uint8_t>(b | (highBits & 0x80));
            }
            buffer[static_cast<size_t>(count)] = b;
            ++count;
            if (static_cast<size_t>(count) == buffer.size()) {
                // The length is a 32-bit count: a body that would outgrow it fails like an
                // allocation. On failure the vector keeps what it holds; the caller sees what
                // was stored.
                if (count > MaxDataLength - BlockSize) {
                    throw std::bad_alloc();
                }
                buffer.resize(buffer.size() + static_cast<size_t>(BlockSize));
            }
        }
    } catch (...) {
        DataLength = count;
        Cursor = 0;
        throw;
    }
    DataLength = count;
    Cursor = 0;
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

int32_t TMidiSysEx::NextByte() {
    if (!Data) {
        return -1;
    }
    if (Cursor < 0) {
        Cursor = 0;
    }
    if (Cursor < DataLength) {
        return (*Data)[static_cast<size_t>(Cursor++)];
    }
    return -1;
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

void TMidiSysEx::UpdateChecksum(uint8_t b) {
    // Bytes enter as signed 8-bit values; unsigned arithmetic keeps the wrap-around defined.
    const auto value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(b)));
    const auto sum = static_cast<uint32_t>(Checksum);
    switch (ChecksumKind) {
    case 1:
        Checksum = static_cast<int32_t>(sum ^ value);
        break;
    case 2:
        Checksum = static_cast<int32_t>(sum + value);
        break;
    default:
        break;
    }
}

bool TMidiSysEx::IsValidDeviceId(uint8_t b) {
    return b <= 0x10 || b == 0x7E || b == 0x7F;
}

void TMidiSysEx::SetData(std::vector<uint8_t> bytes) {
    DataLength = static_cast<int32_t>(bytes.size());
    Data = std::move(bytes);
    Cursor = 0;
}

} // namespace qvr
