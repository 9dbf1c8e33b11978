// The generic message: frame, identifiers, checksum, unpacking, body buffer and accessors.

#include "sysex/Midisysex.h"

#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qvr::test {
namespace {

using test::Bytes;
using test::Hex;
using test::ToString;

std::istringstream Input(const Bytes& bytes) {
    return std::istringstream(ToString(bytes), std::ios::binary);
}

Bytes Stored(const TMidiSysEx& m) {
    return m.GetData() ? Bytes(m.GetData(), m.GetData() + m.GetDataLength()) : Bytes{};
}

enum class HeaderResult { NoMessage, Read, Invalid };

struct HeaderCase {
    const char* Name;
    Bytes Wire;
    HeaderResult Expected;
    int32_t ManufacturerId = -1;
    uint8_t DeviceId = 0xFF;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.Name;
}

class MidiHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(MidiHeader, ReadsFrameAndIdentifiers) {
    const HeaderCase& c = GetParam();
    TMidiSysEx m(1);
    auto in = Input(c.Wire);
    switch (c.Expected) {
    case HeaderResult::NoMessage:
        EXPECT_FALSE(m.ReadHeader(in));
        break;
    case HeaderResult::Invalid:
        EXPECT_THROW(m.ReadHeader(in), EMidiSysExInvalid);
        break;
    case HeaderResult::Read:
        ASSERT_TRUE(m.ReadHeader(in));
        EXPECT_EQ(m.GetManufacturerId(), c.ManufacturerId);
        EXPECT_EQ(m.GetDeviceId(), c.DeviceId);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MidiHeader,
    testing::Values(
        HeaderCase{"EmptyFile", {}, HeaderResult::NoMessage},
        HeaderCase{"FirstByteZero", {0x00, 0x00, 0x00, 0x10, 0x00}, HeaderResult::Invalid},
        HeaderCase{"FirstByteEnd", {0xF7}, HeaderResult::Invalid},
        HeaderCase{"OnlyStart", {0xF0}, HeaderResult::Invalid},
        HeaderCase{"EndsInThreeByteId", {0xF0, 0x00, 0x00}, HeaderResult::Invalid},
        HeaderCase{"EndsBeforeDevice", {0xF0, 0x00, 0x00, 0x10}, HeaderResult::Invalid},
        HeaderCase{"EndsAfterOneByteId", {0xF0, 0x43}, HeaderResult::Invalid},
        HeaderCase{"ThreeByteId", {0xF0, 0x00, 0x00, 0x10, 0x00}, HeaderResult::Read, 16, 0x00},
        HeaderCase{"ThreeByteIdHighByte",
                   {0xF0, 0x00, 0x21, 0x09, 0x05},
                   HeaderResult::Read,
                   0x2109,
                   0x05},
        HeaderCase{"OneByteId", {0xF0, 0x43, 0x10}, HeaderResult::Read, 0x43 * 65536, 0x10},
        // Device identifiers: 0x00 to 0x10, 0x7E and 0x7F only.
        HeaderCase{"Device7E", {0xF0, 0x43, 0x7E}, HeaderResult::Read, 0x430000, 0x7E},
        HeaderCase{"Device7F", {0xF0, 0x43, 0x7F}, HeaderResult::Read, 0x430000, 0x7F},
        HeaderCase{"Device11", {0xF0, 0x43, 0x11}, HeaderResult::Invalid},
        HeaderCase{"Device7D", {0xF0, 0x43, 0x7D}, HeaderResult::Invalid},
        HeaderCase{"Device80", {0xF0, 0x00, 0x00, 0x10, 0x80}, HeaderResult::Invalid},
        HeaderCase{"DeviceFF", {0xF0, 0x00, 0x00, 0x10, 0xFF}, HeaderResult::Invalid}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MidiSysEx, DeviceIdentifierSetHasNineteenMembers) {
    int valid = 0;
    for (int b = 0; b < 256; ++b) {
        valid += TMidiSysEx::IsValidDeviceId(static_cast<uint8_t>(b)) ? 1 : 0;
    }
    EXPECT_EQ(valid, 19);
}

TEST(MidiSysEx, StrayByteBetweenMessagesIsInvalid) {
    auto in = Input({0xF0, 0x43, 0x10, 0x01, 0xF7, 0x00, 0xF0, 0x43, 0x10, 0xF7});
    TMidiSysEx m(1);
    EXPECT_EQ(m.ReadMessage(in), 1);
    EXPECT_THROW(m.ReadMessage(in), EMidiSysExInvalid);
}

TEST(MidiSysEx, HeaderRestartsChecksumWithFirstManufacturerByte) {
    auto in = Input({0xF0, 0x43, 0x10, 0x01, 0xF7, 0xF0, 0x00, 0x00, 0x10, 0x05});
    TMidiSysEx m(1);
    ASSERT_EQ(m.ReadMessage(in), 1);
    EXPECT_EQ(m.GetChecksum(), 0x43 ^ 0x10 ^ 0x01);
    ASSERT_TRUE(m.ReadHeader(in));
    EXPECT_EQ(m.GetChecksum(), 0x10 ^ 0x05);
}

struct ChecksumCase {
    const char* Name;
    uint8_t Kind;
    Bytes Folded;
    int32_t Expected;
};

void PrintTo(const ChecksumCase& c, std::ostream* os) {
    *os << c.Name;
}

class MidiChecksum : public testing::TestWithParam<ChecksumCase> {};

TEST_P(MidiChecksum, BytesEnterAsSigned8Bit) {
    const ChecksumCase& c = GetParam();
    TMidiSysEx m(c.Kind);
    for (const uint8_t b : c.Folded) {
        m.UpdateChecksum(b);
    }
    EXPECT_EQ(m.GetChecksum(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MidiChecksum,
    testing::Values(ChecksumCase{"XorLowBytes", 1, {0x10, 0x58, 0x21}, 0x10 ^ 0x58 ^ 0x21},
                    ChecksumCase{"XorHighByteSignExtends", 1, {0x80}, -128},
                    ChecksumCase{"XorTwoHighBytesCancel", 1, {0x80, 0xFF}, 0x7F},
                    ChecksumCase{"XorBackToZero", 1, {0x05, 0x6C, 0x69}, 0},
                    ChecksumCase{"AddLowBytes", 2, {0x7F, 0x01}, 0x80},
                    ChecksumCase{"AddHighByteIsNegative", 2, {0xFF, 0xFF, 0x80}, -130},
                    ChecksumCase{"KindZeroIgnores", 0, {0x12, 0x80}, 0},
                    ChecksumCase{"KindThreeIgnores", 3, {0x12, 0x80}, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

struct BodyCase {
    const char* Name;
    bool Packed;
    Bytes Wire; // the body as it follows the header
    Bytes Expected;
};

void PrintTo(const BodyCase& c, std::ostream* os) {
    *os << c.Name;
}

class MidiBody : public testing::TestWithParam<BodyCase> {};

TEST_P(MidiBody, StoresUnpackedBytes) {
    const BodyCase& c = GetParam();
    TMidiSysEx m(1);
    auto in = Input(c.Wire);
    EXPECT_EQ(m.ReadData(in, c.Packed), static_cast<int32_t>(c.Expected.size()));
    EXPECT_EQ(Stored(m), c.Expected) << Hex(ToString(c.Wire));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, MidiBody,
    testing::Values(BodyCase{"EmptyPacked", true, {0xF7}, {}},
                    BodyCase{"EmptyPlain", false, {0xF7}, {}},
                    BodyCase{"OnlyPackingByte", true, {0x40, 0xF7}, {}},
                    BodyCase{"PackedHighBit", true, {0x40, 0x01, 0x02, 0xF7}, {0x81, 0x02}},
                    BodyCase{"PackedSeventhTakesBitZero",
                             true,
                             {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0xF7},
                             {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x87}},
                    BodyCase{"PackedNineBytesStoreSeven",
                             true,
                             {0x7F, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x7F, 0xF7},
                             {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87}},
                    BodyCase{"PackedSecondGroup",
                             true,
                             {0x00, 1, 2, 3, 4, 5, 6, 7, 0x10, 8, 9, 10, 0xF7},
                             {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x8A}},
                    // Bit 7 of a packing byte reaches no byte; a set bit 7 on the wire stays set.
                    BodyCase{"PackingBitSevenUnused", true, {0x80, 0x01, 0xF7}, {0x01}},
                    BodyCase{"WireHighBitKept", true, {0x00, 0x85, 0xF7}, {0x85}},
                    BodyCase{"PlainKeepsTextControlBytes",
                             false,
                             {0x0A, 0x0D, 0x1A, 0x20, 0x09, 0x00, 0xF7},
                             {0x0A, 0x0D, 0x1A, 0x20, 0x09, 0x00}},
                    BodyCase{"PackedKeepsTextControlBytes",
                             true,
                             {0x00, 0x0A, 0x0D, 0x1A, 0x20, 0xF7},
                             {0x0A, 0x0D, 0x1A, 0x20}},
                    BodyCase{
                        "StartByteIsData", false, {0xF0, 0x80, 0xFF, 0xF7}, {0xF0, 0x80, 0xFF}},
                    BodyCase{"MissingEndAtEndOfFile", false, {0x01, 0x02}, {0x01, 0x02}},
                    BodyCase{"NothingAtAll", true, {}, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MidiSysEx, BodyReadStopsRightAfterEndByte) {
    auto in = Input({0x01, 0xF7, 0x55});
    TMidiSysEx m(1);
    m.ReadData(in, false);
    EXPECT_EQ(in.get(), 0x55);
}

class MidiBuffer : public testing::TestWithParam<int> {};

// The buffer starts at BlockSize bytes and grows by BlockSize whenever it fills up.
TEST_P(MidiBuffer, GrowsInBlocksAndKeepsEveryByte) {
    const int length = GetParam();
    for (const bool packed : {false, true}) {
        Bytes body;
        for (int i = 0; i < length; ++i) {
            const auto b = static_cast<uint8_t>(i * 37 + i / 256);
            body.push_back(b == 0xF7 ? 0x77 : b); // 0xF7 would end a plain body
        }
        TMidiSysEx writer(1);
        writer.SetData(body);
        std::ostringstream out(std::ios::binary);
        writer.WriteData(out, packed);

        TMidiSysEx m(1);
        std::istringstream in(out.str(), std::ios::binary);
        ASSERT_EQ(m.ReadData(in, packed), length);
        EXPECT_EQ(m.GetCapacity(), (length / 1024 + 1) * 1024) << "packed " << packed;
        EXPECT_EQ(Stored(m), body) << "packed " << packed;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, MidiBuffer,
                         testing::Values(0, 1, 1023, 1024, 1025, 2047, 2048, 3000, 5000));

// A message whose body may hold at most two blocks, to reach the length limit cheaply.
class TSmallLimitSysEx : public TMidiSysEx {
public:
    TSmallLimitSysEx() : TMidiSysEx(1) { MaxDataLength = 2 * BlockSize; }
};

// A body longer than the limit fails with an error that names the limit, with what was read
// so far kept; a body that just fits is read whole.
TEST(MidiSysEx, BodyBeyondTheLengthLimitFailsNamingIt) {
    for (const bool packed : {false, true}) {
        TSmallLimitSysEx fits;
        auto exact = Input(Bytes(packed ? 2048 / 7 * 8 + 5 : 2048, 0x11));
        EXPECT_EQ(fits.ReadData(exact, packed), 2048) << packed;
    }

    TSmallLimitSysEx m;
    auto in = Input(Bytes(2049, 0x22));
    try {
        m.ReadData(in, false);
        ADD_FAILURE() << "no error";
    } catch (const EMidiSysExTooLong& e) {
        EXPECT_STREQ(e.what(), "System exclusive message longer than 2048 bytes");
    }
    EXPECT_EQ(m.GetDataLength(), 2048);
    EXPECT_EQ(Stored(m), Bytes(2048, 0x22));
    EXPECT_EQ(TMidiSysEx::MaxBodyLength, 1 << 20);
}

TEST(MidiSysEx, NextByteWithoutBodyIsMinusOne) {
    TMidiSysEx m(1);
    EXPECT_EQ(m.GetData(), nullptr);
    EXPECT_EQ(m.NextByte(), -1);
    std::string s = "old";
    EXPECT_EQ(m.ReadString(s, 0), -1);
    EXPECT_TRUE(s.empty());
}

TEST(MidiSysEx, NextByteRunsToEndAndStays) {
    auto in = Input({0x05, 0xFF, 0xF7});
    TMidiSysEx m(1);
    ASSERT_EQ(m.ReadData(in, false), 2);
    EXPECT_EQ(m.NextByte(), 0x05);
    EXPECT_EQ(m.NextByte(), 0xFF);
    EXPECT_EQ(m.NextByte(), -1);
    EXPECT_EQ(m.NextByte(), -1);
}

TEST(MidiSysEx, EmptyBodyIsPresentButYieldsNothing) {
    auto in = Input({0xF7});
    TMidiSysEx m(1);
    ASSERT_EQ(m.ReadData(in, false), 0);
    EXPECT_NE(m.GetData(), nullptr);
    EXPECT_EQ(m.NextByte(), -1);
    std::string s;
    EXPECT_EQ(m.ReadString(s, 0), 0);
}

TEST(MidiSysEx, NewBodyReplacesOldAndRewinds) {
    auto in = Input({0x01, 0x02, 0xF7, 0x03, 0xF7});
    TMidiSysEx m(1);
    m.ReadData(in, false);
    EXPECT_EQ(m.NextByte(), 0x01);
    m.ReadData(in, false);
    EXPECT_EQ(m.NextByte(), 0x03);
    EXPECT_EQ(m.NextByte(), -1);
}

struct StringCase {
    const char* Name;
    Bytes Body;
    uint8_t Terminator;
    std::vector<std::string> Strings; // successive ReadString results
    int32_t FollowingByte;            // NextByte afterwards
};

void PrintTo(const StringCase& c, std::ostream* os) {
    *os << c.Name;
}

class MidiReadString : public testing::TestWithParam<StringCase> {};

TEST_P(MidiReadString, CopiesUpToAndIncludingTerminator) {
    const StringCase& c = GetParam();
    TMidiSysEx m(1);
    m.SetData(c.Body);
    for (const std::string& expected : c.Strings) {
        std::string s = "previous contents";
        EXPECT_EQ(m.ReadString(s, c.Terminator), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(s, expected);
    }
    EXPECT_EQ(m.NextByte(), c.FollowingByte);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, MidiReadString,
    testing::Values(
        StringCase{
            "StopsAfterTerminator", {0x41, 0x42, 0x00, 0x43}, 0, {std::string("AB\0", 3)}, 0x43},
        StringCase{"RunsToEndWithoutTerminator",
                   {0x41, 0x42, 0x00, 0x43},
                   0,
                   {std::string("AB\0", 3), "C", ""},
                   -1},
        StringCase{"TerminatorFirst", {0x00, 0x41}, 0, {std::string(1, '\0')}, 0x41},
        StringCase{
            "OtherTerminator", {0x41, 0x00, 0x3B, 0x42}, 0x3B, {std::string("A\0;", 3)}, 0x42},
        StringCase{"HighBytesUntranslated",
                   {0xE9, 0xFC, 0x00},
                   0,
                   {"\xE9\xFC" + std::string(1, '\0')},
                   -1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MidiSysEx, ReadStringLongerThanAnyFixedBuffer) {
    Bytes body(5000, 0x61);
    body.push_back(0);
    TMidiSysEx m(1);
    m.SetData(body);
    std::string s;
    EXPECT_EQ(m.ReadString(s, 0), 5001);
    EXPECT_EQ(s.size(), 5001U);
    EXPECT_EQ(m.NextByte(), -1);
}

struct WriteCase {
    const char* Name;
    int32_t ManufacturerId;
    uint8_t DeviceId;
    Bytes Data;
    bool Packed;
    Bytes Expected;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.Name;
}

class MidiWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(MidiWrite, WritesFrameAndPacking) {
    const WriteCase& c = GetParam();
    TMidiSysEx m(1);
    m.SetManufacturerId(c.ManufacturerId);
    m.SetDeviceId(c.DeviceId);
    m.SetData(c.Data);
    std::ostringstream out(std::ios::binary);
    m.WriteHeader(out);
    m.WriteData(out, c.Packed);
    EXPECT_EQ(Hex(out.str()), Hex(ToString(c.Expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Writes, MidiWrite,
    testing::Values(
        WriteCase{"OneByteId", 0x430000, 0x10, {}, false, {0xF0, 0x43, 0x10, 0xF7}},
        WriteCase{
            "ThreeByteId", 16, 0x00, {0x05}, false, {0xF0, 0x00, 0x00, 0x10, 0x00, 0x05, 0xF7}},
        WriteCase{
            "ThreeByteIdBothBytes", 0x2109, 0x7F, {}, false, {0xF0, 0x00, 0x21, 0x09, 0x7F, 0xF7}},
        WriteCase{"PlainUnchanged",
                  0x430000,
                  0x00,
                  {0x81, 0xFF},
                  false,
                  {0xF0, 0x43, 0x00, 0x81, 0xFF, 0xF7}},
        WriteCase{"PackedOneGroup",
                  0x430000,
                  0x00,
                  {0x81, 0x02},
                  true,
                  {0xF0, 0x43, 0x00, 0x40, 0x01, 0x02, 0xF7}},
        WriteCase{"PackedEmpty", 0x430000, 0x00, {}, true, {0xF0, 0x43, 0x00, 0xF7}},
        WriteCase{"PackedEightBytes",
                  0x430000,
                  0x00,
                  {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x80},
                  true,
                  {0xF0, 0x43, 0x00, 0x41, 0x7F, 0, 0, 0, 0, 0, 0x00, 0x40, 0x00, 0xF7}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MidiSysEx, WriteHeaderNeedsManufacturer) {
    TMidiSysEx m(1);
    std::ostringstream out;
    EXPECT_THROW(m.WriteHeader(out), EMidiSysExInvalid);
    EXPECT_THROW(m.WriteMessage(out), EMidiSysExInvalid);
}

TEST(MidiSysEx, PlainMessageRoundTrip) {
    TMidiSysEx writer(1);
    writer.SetManufacturerId(0x7D0000);
    writer.SetDeviceId(0x7E);
    const Bytes body{0x00, 0x0A, 0xF0, 0xFF, 0x1A};
    writer.SetData(body);
    std::ostringstream out(std::ios::binary);
    writer.WriteMessage(out);
    writer.WriteMessage(out);

    std::istringstream in(out.str(), std::ios::binary);
    TMidiSysEx reader(2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(reader.ReadMessage(in), 5);
        EXPECT_EQ(reader.GetManufacturerId(), 0x7D0000);
        EXPECT_EQ(reader.GetDeviceId(), 0x7E);
        EXPECT_EQ(Stored(reader), body);
    }
    EXPECT_EQ(reader.ReadMessage(in), -1);
}

} // namespace
} // namespace qvr::test
