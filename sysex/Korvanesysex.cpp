#include "sysex/Korvanesysex.h"

#include <istream>
#include <ostream>

namespace qvr {

namespace {

constexpr uint8_t XorChecksum = 1;

uint8_t TakeIdByte(TByteInput& in) {
    uint8_t b = 0;
    if (!in.Take(b)) {
        throw EMidiSysExInvalid();
    }
    return b;
}

// Exclusive-or of the body bytes as WriteData puts them on the wire.
uint8_t WireXor(const std::vector<uint8_t>& body, bool packed) {
    uint8_t sum = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        if (packed) {
            const size_t k = i % 7;
            // The group's packing byte carries this byte's bit 7.
            if ((body[i] & 0x80) != 0) {
                sum = static_cast<uint8_t>(sum ^ (0x40 >> k));
            }
            sum = static_cast<uint8_t>(sum ^ (body[i] & 0x7F));
        } else {
            sum = static_cast<uint8_t>(sum ^ body[i]);
        }
    }
    return sum;
}

} // namespace

TKorvaneSysEx::TKorvaneSysEx(bool packed) : TMidiSysEx(XorChecksum), Packed(packed) {}

int32_t TKorvaneSysEx::ReadMessage(TByteInput& in) {
    if (!ReadHeader(in)) {
        return -1;
    }
    return ReadBody(in);
}

void TKorvaneSysEx::WriteMessage(std::ostream& out) {
    WriteHeader(out);
    WriteBody(out);
}

bool TKorvaneSysEx::ReadHeader(TByteInput& in) {
    if (!TMidiSysEx::ReadHeader(in)) {
        return false;
    }
    if (ManufacturerId != ExpectedManufacturerId) {
        throw EKorvaneSysExInvalid();
    }
    ProductId = TakeIdByte(in);
    UpdateChecksum(ProductId);
    MessageId = TakeIdByte(in);
    UpdateChecksum(MessageId);
    return true;
}

void TKorvaneSysEx::WriteHeader(std::ostream& out) {
    TMidiSysEx::WriteHeader(out);
    out.put(static_cast<char>(ProductId));
    out.put(static_cast<char>(MessageId));
}

int32_t TKorvaneSysEx::ReadBody(std::istream& in) {
    TStreamInput bytes(in);
    return ReadBody(bytes);
}

int32_t TKorvaneSysEx::ReadBody(TByteInput& in) {
    const int32_t n = ReadData(in, Packed);
    // A body that stores nothing (empty, or a lone packing byte) has no checksum byte to test.
    if (n > 0 && Checksum != 0) {
        throw EKorvaneSysExBadChecksum();
    }
    return n;
}

void TKorvaneSysEx::WriteBody(std::ostream& out) {
    WriteData(out, Packed);
}

void TKorvaneSysEx::SetBody(const std::vector<uint8_t>& payload) {
    // With bit 7 of the checksum byte clear, its packing bit is 0 and a packing byte that it
    // alone opens is 0x00, so neither changes the exclusive-or. In a plain body the plain
    // exclusive-or also settles the signed accumulator: its bit 7 is the parity of the bytes
    // from 0x80 up, and those bytes are what set the accumulator's upper bits.
    const uint8_t header =
        static_cast<uint8_t>(0x00 ^ 0x00 ^ 0x10 ^ DeviceId ^ ProductId ^ MessageId);
    auto sum = static_cast<uint8_t>(header ^ WireXor(payload, Packed));
    if (Packed) {
        // Only reachable when an odd number of header bytes has bit 7 set; no byte can
        // balance that on a packed wire.
        sum = static_cast<uint8_t>(sum & 0x7F);
    }
    std::vector<uint8_t> body;
    body.reserve(payload.size() + 1);
    body.assign(payload.begin(), payload.end());
    body.push_back(sum);
    SetData(std::move(body));
}

} // namespace qvr
