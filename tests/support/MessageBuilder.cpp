#include "tests/support/MessageBuilder.h"

#include "sysex/ByteInput.h"
#include "sysex/Korvanesysex.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace qvr::test {

Bytes CString(std::string_view text) {
    Bytes b = ToBytes(text);
    b.push_back(0);
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

Bytes ToBytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

std::string ToString(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

std::string Hex(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (!text.empty()) {
            text += ' ';
        }
        text += Digits[b >> 4];
        text += Digits[b & 0x0F];
    }
    return text;
}

Msg::Msg(uint8_t messageId) : MessageId(messageId) {}

Msg& Msg::Product(uint8_t id) {
    ProductId = id;
    return *this;
}

Msg& Msg::Device(uint8_t id) {
    DeviceId = id;
    return *this;
}

Msg& Msg::Plain() {
    Packed = false;
    return *this;
}

Msg& Msg::Body(Bytes payload) {
    PayloadBytes = std::move(payload);
    return *this;
}

Msg& Msg::Append(const Bytes& more) {
    PayloadBytes.insert(PayloadBytes.end(), more.begin(), more.end());
    return *this;
}

Msg& Msg::Text(std::string_view text) {
    return Append(CString(text));
}

Msg& Msg::Checksum(uint8_t b) {
    ChecksumByte = b;
    return *this;
}

Msg& Msg::BadChecksum() {
    FlipChecksum = true;
    return *this;
}

Msg& Msg::Manufacturer(int32_t id) {
    ManufacturerId = id;
    return *this;
}

Msg& Msg::RawBody(Bytes stored) {
    Stored = std::move(stored);
    return *this;
}

Msg& Msg::NoEnd() {
    End = false;
    return *this;
}

Msg& Msg::Truncate(size_t wireBytes) {
    Length = wireBytes;
    return *this;
}

Msg& Msg::Set(size_t at, uint8_t value) {
    PayloadBytes.at(at) = value;
    return *this;
}

Bytes Msg::Wire() const {
    return ToBytes(Str());
}

std::string Msg::Str() const {
    TKorvaneSysEx message(Packed);
    message.SetManufacturerId(ManufacturerId);
    message.SetDeviceId(DeviceId);
    message.SetProductId(ProductId);
    message.SetMessageId(MessageId);
    if (Stored) {
        message.SetData(*Stored);
    } else {
        message.SetBody(PayloadBytes);
        Bytes body(message.GetData(), message.GetData() + message.GetDataLength());
        if (ChecksumByte) {
            body.back() = *ChecksumByte;
        }
        if (FlipChecksum) {
            body.back() = static_cast<uint8_t>(body.back() ^ 0x01);
        }
        message.SetData(std::move(body));
    }
    std::ostringstream out(std::ios::binary);
    message.WriteMessage(out);
    std::string wire = out.str();
    if (!End) {
        wire.pop_back();
    }
    if (Length && *Length < wire.size()) {
        wire.resize(*Length);
    }
    return wire;
}

std::vector<Msg> SplitMessages(std::string_view file) {
    std::vector<Msg> messages;
    TMemoryInput in(file.data(), file.size());
    TKorvaneSysEx reader(true);
    while (reader.ReadHeader(in)) {
        const int32_t length = reader.ReadBody(in);
        if (length < 1) {
            throw std::runtime_error("a message without its checksum byte");
        }
        const uint8_t* body = reader.GetData();
        messages.push_back(Msg(reader.GetMessageId())
                               .Product(reader.GetProductId())
                               .Device(reader.GetDeviceId())
                               .Body(Bytes(body, body + length - 1)));
    }
    return messages;
}

Msg PresetHeader(uint8_t index, std::string_view name) {
    return Msg(0x21).Body(Join({{0, 0, index}, CString(name), {0, 0, 0, 0}}));
}

SysExFile::SysExFile(std::initializer_list<Msg> messages) {
    for (const Msg& m : messages) {
        Add(m);
    }
}

SysExFile& SysExFile::Add(const Msg& message) {
    Contents += message.Str();
    return *this;
}

SysExFile& SysExFile::Raw(const Bytes& bytes) {
    Contents += ToString(bytes);
    return *this;
}

TempFile::TempFile(std::string_view contents, std::string_view suffix) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qvrtest-XXXXXX").string() + std::string(suffix);
    const int fd = mkstemps(pattern.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        throw std::runtime_error("cannot create a temporary file");
    }
    close(fd);
    FilePath = pattern;
    std::ofstream out(FilePath, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) {
        std::filesystem::remove(FilePath);
        throw std::runtime_error("cannot write " + FilePath);
    }
}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(FilePath, ignored);
}

} // namespace qvr::test
