// The preset message read from real files: several messages back to back, names, binary bytes.

#include "sysex/Qvrsysex.h"

#include "sysex/PresetHeader.h"
#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qvr::test {
namespace {

using test::Bytes;
using test::Msg;
using test::PresetHeader;
using test::SysExFile;
using test::TempFile;

TEST(QvrSysEx, IsPacked) {
    // The packed example message reads as two body bytes only when unpacking is on.
    const std::string wire =
        test::ToString({0xF0, 0x00, 0x00, 0x10, 0x00, 0x58, 0x21, 0x00, 0x05, 0x6C, 0xF7});
    std::istringstream in(wire, std::ios::binary);
    TKorvaneQVRSysEx m;
    EXPECT_EQ(m.ReadMessage(in), 2);
    EXPECT_TRUE(m.IsPacked());
}

TEST(QvrSysEx, ReadsFileOfPresetsMessageByMessage) {
    // Names hold bytes that a text-mode read would alter or stop at.
    const std::string name = std::string("Lead\r\n\x1A ") + "\xE9";
    const TempFile file(SysExFile()
                            .Add(PresetHeader(4, name).Product(88))
                            .Add(Msg(0x24).Product(88).Body({0, 0, 0, 2, 0x8A, 0x0D, 0x0A}))
                            .Add(PresetHeader(0xFE, "").Product(88))
                            .Add(Msg(0x10).Product(88).Body({0x20}))
                            .Str());
    std::ifstream in(file.Path(), std::ios::binary);
    ASSERT_TRUE(in.is_open());

    TKorvaneQVRSysEx m;
    ASSERT_TRUE(m.ReadHeader(in));
    EXPECT_EQ(m.GetProductId(), 88);
    EXPECT_EQ(m.GetMessageId(), 0x21);
    ASSERT_EQ(m.ReadBody(in), static_cast<int32_t>(3 + name.size() + 1 + 4 + 1));
    m.NextByte();
    m.NextByte();
    EXPECT_EQ(m.NextByte(), 4);
    std::string s;
    EXPECT_EQ(m.ReadString(s, 0), static_cast<int32_t>(name.size() + 1));
    EXPECT_EQ(s, name + std::string(1, '\0'));

    ASSERT_TRUE(m.ReadHeader(in));
    EXPECT_EQ(m.GetMessageId(), 0x24);
    ASSERT_EQ(m.ReadBody(in), 8);
    for (const int expected : {0, 0, 0, 2, 0x8A, 0x0D, 0x0A}) {
        EXPECT_EQ(m.NextByte(), expected);
    }

    ASSERT_TRUE(m.ReadHeader(in));
    ASSERT_EQ(m.ReadBody(in), 9);
    m.NextByte();
    m.NextByte();
    EXPECT_EQ(m.NextByte(), 0xFE);

    ASSERT_TRUE(m.ReadHeader(in));
    EXPECT_EQ(m.GetMessageId(), 0x10);
    ASSERT_EQ(m.ReadBody(in), 2);
    EXPECT_EQ(m.NextByte(), 0x20);

    EXPECT_FALSE(m.ReadHeader(in));
}

// A name without its 0 byte runs to the end of the body, checksum byte included.
TEST(QvrSysEx, UnterminatedNameTakesChecksumByte) {
    const std::string wire = Msg(0x21).Body({0, 0, 1, 'A', 'B'}).Str();
    std::istringstream in(wire, std::ios::binary);
    TKorvaneQVRSysEx m;
    ASSERT_EQ(m.ReadMessage(in), 6);
    for (int i = 0; i < 3; ++i) {
        m.NextByte();
    }
    std::string s;
    EXPECT_EQ(m.ReadString(s, 0), 3);
    EXPECT_EQ(s.substr(0, 2), "AB");
    EXPECT_EQ(static_cast<uint8_t>(s[2]), m.GetData()[5]);
    EXPECT_EQ(m.NextByte(), -1);
}

TEST(QvrSysEx, ReadingStopsAtFirstBrokenMessage) {
    const std::string file =
        SysExFile().Add(PresetHeader(0, "One")).Raw({0x00}).Add(PresetHeader(1, "Two")).Str();
    std::istringstream in(file, std::ios::binary);
    TKorvaneQVRSysEx m;
    EXPECT_GT(m.ReadMessage(in), 0);
    EXPECT_THROW(m.ReadMessage(in), EMidiSysExInvalid);
}

// Renumbering changes the index, its packing bit and the checksum; the reader takes the result.
TEST(QvrSysEx, PresetHeaderRenumberedReadsBack) {
    // Preset 5 "A": F0 00 00 10, device 0, QVR-3, header id, then the packed body 00 00 04 'A'
    // 00 | 00 00 00 00 and the checksum: 10 ^ 5A ^ 21 ^ 04 ^ 41 = 2E.
    const Bytes head = {0xF0, 0x00, 0x00, 0x10, 0x00, 0x5A, 0x21};
    const std::string original = ToString(Join({head,
                                                {0x00, 0x00, 0x00, 0x04, 0x41, 0x00, 0x00, 0x00},
                                                {0x00, 0x00, 0x00},
                                                {0x2E, 0xF7}}));
    struct TCase {
        uint8_t Index;
        Bytes Body; // the wire bytes after the header ids
        std::optional<int32_t> Number;
    };
    const std::vector<TCase> cases = {
        {4, {0x00, 0x00, 0x00, 0x04, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2E, 0xF7}, 5},
        {0, {0x00, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0xF7}, 1},
        // Bit 7 of the index goes to the packing byte: 0x85 is 0x10 there and 0x05.
        {0x85, {0x10, 0x00, 0x00, 0x05, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xF7}, 134},
        {FirstUnnumberedIndex,
         {0x10, 0x00, 0x00, 0x7E, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0xF7},
         std::nullopt},
    };
    for (const TCase& c : cases) {
        const std::string renumbered = RenumberPresetHeader(original, c.Index);
        EXPECT_EQ(Hex(renumbered), Hex(ToString(Join({head, c.Body})))) << int(c.Index);
        const std::optional<TPresetHeaderFields> fields = ReadPresetHeader(renumbered);
        ASSERT_TRUE(fields.has_value());
        EXPECT_EQ(fields->Index, c.Index);
        EXPECT_EQ(fields->Name, "A");
        EXPECT_EQ(fields->Number(), c.Number);
    }
    // A header whose unused bytes are not zero keeps every one of them: payload 01 02 | 04 |
    // 'A' 00 | 03 00 05 06, checksum 6B ^ 01 ^ 02 ^ 04 ^ 41 ^ 03 ^ 05 ^ 06 = 2D; as index 09,
    // 2D ^ 04 ^ 09 = 20.
    const std::string used = ToString(Join(
        {head, {0x00, 0x01, 0x02, 0x04, 0x41, 0x00, 0x03, 0x00, 0x00, 0x05, 0x06, 0x2D, 0xF7}}));
    EXPECT_EQ(Hex(RenumberPresetHeader(used, 9)),
              Hex(ToString(Join({head,
                                 {0x00, 0x01, 0x02, 0x09, 0x41, 0x00, 0x03, 0x00, 0x00, 0x05, 0x06,
                                  0x20, 0xF7}}))));
    EXPECT_FALSE(ReadPresetHeader(Msg(0x24).Body({0, 0, 4, 0}).Str()).has_value());
    EXPECT_THROW(RenumberPresetHeader(Msg(0x24).Body({0, 0, 4, 0}).Str(), 1),
                 std::invalid_argument);
    EXPECT_THROW(RenumberPresetHeader(PresetHeader(4, "A").BadChecksum().Str(), 1),
                 EKorvaneSysExBadChecksum);
}

} // namespace
} // namespace qvr::test
