#pragma once

#include "sysex/Midisysex.h"

#include <cstdint>
#include <exception>
#include <iosfwd>
#include <vector>

namespace qvr {

// The maker's manufacturer id, written as the three bytes 0x00 0x00 0x10.
inline constexpr int32_t KorvaneManufacturerId = 0x10;

// The message comes from another maker (its manufacturer id is not 0x00 0x00 0x10).
class EKorvaneSysExInvalid : public std::exception {};
// The exclusive-or over the message, checksum byte included, is not zero.
class EKorvaneSysExBadChecksum : public std::exception {};

// The maker's envelope: manufacturer 0x00 0x00 0x10, device id, product id, message id, a body
// (7-bit packed when Packed is set) whose last byte is an exclusive-or checksum, then 0xF7.
class TKorvaneSysEx : public TMidiSysEx {
public:
    explicit TKorvaneSysEx(bool packed);

    using TMidiSysEx::ReadHeader;
    using TMidiSysEx::ReadMessage;
    int32_t ReadMessage(TByteInput& in) override;
    void WriteMessage(std::ostream& out) override;
    bool ReadHeader(TByteInput& in) override;
    void WriteHeader(std::ostream& out) override;

    // Reads the body and tests the checksum; returns the number of bytes stored.
    virtual int32_t ReadBody(TByteInput& in);
    int32_t ReadBody(std::istream& in);
    virtual void WriteBody(std::ostream& out);

    uint8_t GetProductId() const { return ProductId; }
    uint8_t GetMessageId() const { return MessageId; }
    bool IsPacked() const { return Packed; }

    void SetProductId(uint8_t id) { ProductId = id; }
    void SetMessageId(uint8_t id) { MessageId = id; }
    // Data := payload followed by the checksum byte that makes the message, as WriteMessage
    // writes it (manufacturer 0x00 0x00 0x10, device, product, message, body with packing
    // bytes), check out.
    void SetBody(const std::vector<uint8_t>& payload);

protected:
    bool Packed;
    int32_t ExpectedManufacturerId = KorvaneManufacturerId;
    uint8_t ProductId = 0;
    uint8_t MessageId = 0;
};

} // namespace qvr
