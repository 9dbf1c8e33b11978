// The maker's envelope: identifier checks in their order, the checksum test, SetBody and the
// write side.

#include "sysex/Korvanesysex.h"

#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qvr::test {
namespace {

using test::Bytes;
using test::Hex;
using test::Msg;
using test::ToString;

enum class Outcome { Ok, NoMessage, MidiInvalid, KorvaneInvalid, BadChecksum };

std::ostream& operator<<(std::ostream& os, Outcome o) {
    static const char* const Names[] = {"Ok", "NoMessage", "MidiInvalid", "KorvaneInvalid",
                                        "BadChecksum"};
    return os << Names[static_cast<int>(o)];
}

// Reads one message (header and body) and says how it went; count gets ReadBody's result.
Outcome ReadOne(TKorvaneSysEx& m, std::istream& in, int32_t& count) {
    count = -2;
    try {
        if (!m.ReadHeader(in)) {
            return Outcome::NoMessage;
        }
        count = m.ReadBody(in);
        return Outcome::Ok;
    } catch (const EMidiSysExInvalid&) {
        return Outcome::MidiInvalid;
    } catch (const EKorvaneSysExInvalid&) {
        return Outcome::KorvaneInvalid;
    } catch (const EKorvaneSysExBadChecksum&) {
        return Outcome::BadChecksum;
    }
}

Bytes Stored(const TMidiSysEx& m) {
    return m.GetData() ? Bytes(m.GetData(), m.GetData() + m.GetDataLength()) : Bytes{};
}

struct EnvelopeCase {
    const char* Name;
    Bytes Wire;
    Outcome Expected;
    int32_t Count = -2;
    Bytes Body = {};
};

void PrintTo(const EnvelopeCase& c, std::ostream* os) {
    *os << c.Name;
}

class KorvaneEnvelope : public testing::TestWithParam<EnvelopeCase> {};

TEST_P(KorvaneEnvelope, TestsInOrder) {
    const EnvelopeCase& c = GetParam();
    TKorvaneSysEx m(true);
    std::istringstream in(ToString(c.Wire), std::ios::binary);
    int32_t count = 0;
    EXPECT_EQ(ReadOne(m, in, count), c.Expected) << Hex(ToString(c.Wire));
    if (c.Expected == Outcome::Ok) {
        EXPECT_EQ(count, c.Count);
        EXPECT_EQ(Stored(m), c.Body);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, KorvaneEnvelope,
    testing::Values(
        EnvelopeCase{"Valid",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x00, 0x05, 0x6C, 0xF7},
                     Outcome::Ok,
                     2,
                     {0x05, 0x6C}},
        EnvelopeCase{"ChangedChecksumByte",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x00, 0x05, 0x6D, 0xF7},
                     Outcome::BadChecksum},
        EnvelopeCase{"ChangedPackingByte",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x20, 0x05, 0x6C, 0xF7},
                     Outcome::BadChecksum},
        EnvelopeCase{"ChangedProduct",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x5A, 0x21, 0x00, 0x05, 0x6C, 0xF7},
                     Outcome::BadChecksum},
        EnvelopeCase{
            "EmptyBodyNotTested", {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0xF7}, Outcome::Ok, 0},
        EnvelopeCase{"LonePackingByteNotTested",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x33, 0xF7},
                     Outcome::Ok,
                     0},
        EnvelopeCase{"EmptyFile", {}, Outcome::NoMessage},
        EnvelopeCase{"OneByteManufacturer10",
                     {0xF0, 0x10, 0x00, 0x58, 0x21, 0x00, 0xF7},
                     Outcome::KorvaneInvalid},
        EnvelopeCase{"OtherThreeByteManufacturer",
                     {0xF0, 0x00, 0x00, 0x11, 0x00, 0x58, 0x21, 0xF7},
                     Outcome::KorvaneInvalid},
        EnvelopeCase{"InvalidDeviceBeforeManufacturerCheck",
                     {0xF0, 0x00, 0x00, 0x10, 0x20, 0x58, 0x21, 0xF7},
                     Outcome::MidiInvalid},
        EnvelopeCase{
            "ForeignMakerValidDevice", {0xF0, 0x43, 0x10, 0x00, 0xF7}, Outcome::KorvaneInvalid},
        EnvelopeCase{
            "ForeignMakerInvalidDevice", {0xF0, 0x43, 0x12, 0x00, 0xF7}, Outcome::MidiInvalid},
        // The maker is checked before the product and message identifiers are read.
        EnvelopeCase{"ForeignMakerEndsBeforeProduct", {0xF0, 0x43, 0x10}, Outcome::KorvaneInvalid},
        EnvelopeCase{"EndsInManufacturer", {0xF0, 0x00, 0x00}, Outcome::MidiInvalid},
        EnvelopeCase{"EndsBeforeProduct", {0xF0, 0x00, 0x00, 0x10, 0x00}, Outcome::MidiInvalid},
        EnvelopeCase{
            "EndsBeforeMessageId", {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58}, Outcome::MidiInvalid},
        // The end of the file inside a body is no frame error.
        EnvelopeCase{
            "EndsRightAfterHeader", {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21}, Outcome::Ok, 0},
        EnvelopeCase{"EndsBeforeEndByte",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x00, 0x05, 0x6C},
                     Outcome::Ok,
                     2,
                     {0x05, 0x6C}},
        EnvelopeCase{"EndsInsideBody",
                     {0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x00, 0x05},
                     Outcome::BadChecksum}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(KorvaneSysEx, HeaderFoldsProductAndMessageIntoChecksum) {
    std::istringstream in(ToString({0xF0, 0x00, 0x00, 0x10, 0x03, 0x58, 0x21}), std::ios::binary);
    TKorvaneSysEx m(true);
    ASSERT_TRUE(m.ReadHeader(in));
    EXPECT_EQ(m.GetManufacturerId(), 16);
    EXPECT_EQ(m.GetDeviceId(), 0x03);
    EXPECT_EQ(m.GetProductId(), 88);
    EXPECT_EQ(m.GetMessageId(), 0x21);
    EXPECT_EQ(m.GetChecksum(), 0x10 ^ 0x03 ^ 0x58 ^ 0x21);
}

// In a plain body bytes from 0x80 up enter sign-extended; an even number of them cancels out.
TEST(KorvaneSysEx, PlainBodyChecksumOverSignedBytes) {
    const uint8_t sum = 0x10 ^ 0x58 ^ 0x21 ^ 0x80;
    std::istringstream good(ToString({0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x80, sum, 0xF7}),
                            std::ios::binary);
    TKorvaneSysEx m(false);
    int32_t count = 0;
    EXPECT_EQ(ReadOne(m, good, count), Outcome::Ok);
    EXPECT_EQ(count, 2);
    EXPECT_GE(sum, 0x80);
}

TEST(KorvaneSysEx, BadChecksumKeepsBodyAndObjectReusable) {
    const std::string file =
        Msg(0x24).Body({1, 2, 3}).BadChecksum().Str() + Msg(0x26).Body({4, 5}).Str();
    std::istringstream in(file, std::ios::binary);
    TKorvaneSysEx m(true);
    int32_t count = 0;
    ASSERT_EQ(ReadOne(m, in, count), Outcome::BadChecksum);
    EXPECT_EQ(m.GetDataLength(), 4);
    EXPECT_EQ(m.NextByte(), 1);
    ASSERT_EQ(ReadOne(m, in, count), Outcome::Ok);
    EXPECT_EQ(m.GetMessageId(), 0x26);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(m.NextByte(), 4);
}

// The test-support builders produce exactly the broken forms they promise.
struct BrokenCase {
    const char* Name;
    Msg Message;
    Outcome Expected;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.Name;
}

class KorvaneBroken : public testing::TestWithParam<BrokenCase> {};

TEST_P(KorvaneBroken, RaisesItsException) {
    const BrokenCase& c = GetParam();
    std::istringstream in(c.Message.Str(), std::ios::binary);
    TKorvaneSysEx m(true);
    int32_t count = 0;
    EXPECT_EQ(ReadOne(m, in, count), c.Expected) << Hex(c.Message.Str());
}

INSTANTIATE_TEST_SUITE_P(
    Builders, KorvaneBroken,
    testing::Values(
        BrokenCase{"Valid", Msg(0x21).Body({0, 0, 1, 0x41, 0}), Outcome::Ok},
        BrokenCase{"BadChecksum", Msg(0x21).Body({0, 0, 1, 0x41, 0}).BadChecksum(),
                   Outcome::BadChecksum},
        BrokenCase{"ExplicitChecksum", Msg(0x21).Body({0x01}).Checksum(0x00), Outcome::BadChecksum},
        BrokenCase{"ForeignMaker", Msg(0x21).Body({1}).Manufacturer(0x43 << 16),
                   Outcome::KorvaneInvalid},
        BrokenCase{"BadDevice", Msg(0x21).Body({1}).Device(0x20), Outcome::MidiInvalid},
        BrokenCase{"TruncatedHeader", Msg(0x21).Body({1}).Truncate(5), Outcome::MidiInvalid},
        BrokenCase{"NoEnd", Msg(0x21).Body({1, 2}).NoEnd(), Outcome::Ok},
        BrokenCase{"RawBodyWithoutChecksum", Msg(0x21).RawBody({1}), Outcome::BadChecksum}),
    [](const auto& info) { return std::string(info.param.Name); });

// Exclusive-or of the wire bytes from the first manufacturer byte through the checksum byte.
int32_t WireXor(const std::string& wire) {
    int32_t sum = 0;
    for (size_t i = 1; i + 1 < wire.size(); ++i) {
        sum ^= static_cast<int8_t>(wire[i]);
    }
    return sum;
}

Bytes Pattern(size_t length, unsigned seed) {
    Bytes b;
    for (size_t i = 0; i < length; ++i) {
        b.push_back(static_cast<uint8_t>((i * 73 + seed * 29 + (i >> 3)) & 0xFF));
    }
    return b;
}

struct RoundTripCase {
    bool Packed;
    size_t Length;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << (c.Packed ? "packed " : "plain ") << c.Length;
}

class KorvaneRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(KorvaneRoundTrip, ReadsBackWhatWasWritten) {
    const RoundTripCase& c = GetParam();
    for (unsigned seed = 0; seed < 3; ++seed) {
        Bytes payload = Pattern(c.Length, seed);
        if (!c.Packed) {
            for (uint8_t& b : payload) {
                b = b == 0xF7 ? 0x77 : b; // only 0xF7 ends a plain body
            }
        }
        TKorvaneSysEx writer(c.Packed);
        writer.SetManufacturerId(16);
        writer.SetDeviceId(static_cast<uint8_t>(seed == 2 ? 0x7F : seed * 5));
        writer.SetProductId(static_cast<uint8_t>(86 + seed));
        writer.SetMessageId(static_cast<uint8_t>(0x21 + seed));
        writer.SetBody(payload);
        std::ostringstream out(std::ios::binary);
        writer.WriteMessage(out);
        const std::string wire = out.str();
        EXPECT_EQ(WireXor(wire), 0) << "seed " << seed;

        TKorvaneSysEx reader(c.Packed);
        std::istringstream in(wire, std::ios::binary);
        int32_t count = 0;
        ASSERT_EQ(ReadOne(reader, in, count), Outcome::Ok) << "seed " << seed;
        ASSERT_EQ(count, static_cast<int32_t>(c.Length + 1));
        EXPECT_EQ(reader.GetManufacturerId(), 16);
        EXPECT_EQ(reader.GetDeviceId(), writer.GetDeviceId());
        EXPECT_EQ(reader.GetProductId(), writer.GetProductId());
        EXPECT_EQ(reader.GetMessageId(), writer.GetMessageId());
        const Bytes body = Stored(reader);
        EXPECT_EQ(Bytes(body.begin(), body.end() - 1), payload);
        EXPECT_EQ(in.get(), std::char_traits<char>::eof());
    }
}

std::vector<RoundTripCase> RoundTripCases() {
    std::vector<RoundTripCase> cases;
    for (const bool packed : {true, false}) {
        for (size_t n = 0; n <= 20; ++n) {
            cases.push_back({packed, n});
        }
        for (const size_t n : {1023U, 1024U, 3000U, 7U * 300U}) {
            cases.push_back({packed, n});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Lengths, KorvaneRoundTrip, testing::ValuesIn(RoundTripCases()),
                         [](const auto& info) {
                             return std::string(info.param.Packed ? "Packed" : "Plain") +
                                    std::to_string(info.param.Length);
                         });

TEST(KorvaneSysEx, SetBodyChecksumBelow80WhenPacked) {
    for (size_t n = 0; n < 30; ++n) {
        TKorvaneSysEx m(true);
        m.SetDeviceId(0);
        m.SetProductId(91);
        m.SetMessageId(0x2A);
        m.SetBody(Pattern(n, 7));
        EXPECT_LT(m.GetData()[m.GetDataLength() - 1], 0x80) << n;
    }
}

TEST(KorvaneSysEx, WriteHeaderAddsProductAndMessage) {
    TKorvaneSysEx m(true);
    m.SetManufacturerId(16);
    m.SetDeviceId(0x10);
    m.SetProductId(90);
    m.SetMessageId(0x24);
    std::ostringstream out(std::ios::binary);
    m.WriteMessage(out);
    EXPECT_EQ(Hex(out.str()), "F0 00 00 10 10 5A 24 F7");
    TKorvaneSysEx none(true);
    EXPECT_THROW(none.WriteMessage(out), EMidiSysExInvalid);
}

} // namespace
} // namespace qvr::test
