#pragma once

// Readable input for tests: preset messages built through the write side of the SysEx classes
// (packing and checksum byte computed), deliberately broken variants, and files made of them.
//
//   std::string file = SysExFile()
//       .Add(PresetHeader(4, "Clean"))
//       .Add(Msg(0x24).Product(90).Body({0, 0, 0, 1, 0x10, 0x7F}))
//       .Str();
//   TempFile f(file);            // f.Path() names it until f goes out of scope

#include "sysex/Products.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr::test {

using Bytes = std::vector<uint8_t>;

// The characters of text followed by a 0 byte, as names are stored in bodies.
Bytes CString(std::string_view text);
// The bytes one after the other.
Bytes Join(std::initializer_list<Bytes> parts);
Bytes ToBytes(std::string_view s);
std::string ToString(const Bytes& b);
// "F0 00 00 10 ..." for failure messages.
std::string Hex(std::string_view bytes);

// The model of the messages that do not name another.
constexpr uint8_t DefaultProduct = ProductByModel("QVR-3")->Id;
constexpr int32_t KorvaneManufacturer = 16;

// One message of the maker's envelope. By default: manufacturer 0x00 0x00 0x10, device 0,
// product QVR-3, packed body, correct checksum byte appended to the payload, closing 0xF7.
class Msg {
public:
    explicit Msg(uint8_t messageId);

    Msg& Product(uint8_t id);
    Msg& Device(uint8_t id);
    Msg& Plain();                     // body without 7-bit packing
    Msg& Body(Bytes payload);         // the body before the checksum byte
    Msg& Append(const Bytes& more);   // adds to the payload
    Msg& Text(std::string_view text); // adds the characters and a 0 byte to the payload

    // Broken variants.
    Msg& Checksum(uint8_t b);        // this checksum byte instead of the computed one
    Msg& BadChecksum();              // the computed checksum byte with bit 0 flipped
    Msg& Manufacturer(int32_t id);   // id as held by the reader: 0x43 << 16 or h * 256 + l
    Msg& RawBody(Bytes stored);      // stored body as given: no checksum byte appended
    Msg& NoEnd();                    // leaves off the closing 0xF7
    Msg& Truncate(size_t wireBytes); // keeps only the first wireBytes bytes

    // A payload byte changed (as a changed copy of a file has it).
    Msg& Set(size_t at, uint8_t value);

    uint8_t Id() const { return MessageId; }
    const Bytes& Payload() const { return PayloadBytes; }

    Bytes Wire() const;
    std::string Str() const;

private:
    uint8_t MessageId;
    uint8_t ProductId = DefaultProduct;
    uint8_t DeviceId = 0;
    int32_t ManufacturerId = KorvaneManufacturer;
    bool Packed = true;
    Bytes PayloadBytes;
    std::optional<Bytes> Stored;
    std::optional<uint8_t> ChecksumByte;
    bool FlipChecksum = false;
    bool End = true;
    std::optional<size_t> Length;
};

// The messages of a file as the reader takes them apart (product, message id and the payload
// without its checksum byte), to be changed and put together again. Throws when the file does
// not read cleanly to its end.
std::vector<Msg> SplitMessages(std::string_view file);

// Preset header (message 0x21): two skipped bytes, the index, the name with its 0 byte, four
// skipped bytes.
Msg PresetHeader(uint8_t index, std::string_view name);

// A preset or backup file: messages back to back, with raw bytes wherever a test needs them.
class SysExFile {
public:
    SysExFile() = default;
    SysExFile(std::initializer_list<Msg> messages);

    SysExFile& Add(const Msg& message);
    SysExFile& Raw(const Bytes& bytes);

    const std::string& Str() const { return Contents; }
    Bytes Wire() const { return ToBytes(Contents); }

private:
    std::string Contents;
};

// A file in the temporary folder holding the given bytes; removed when the object goes.
class TempFile {
public:
    explicit TempFile(std::string_view contents, std::string_view suffix = ".q3p");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return FilePath; }

private:
    std::string FilePath;
};

} // namespace qvr::test
