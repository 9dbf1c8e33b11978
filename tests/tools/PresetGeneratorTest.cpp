#include "tools/presetgen/PresetGenerator.h"

#include "sysex/Qvrsysex.h"
#include "tools/presetgen/DescriptionError.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qvr::test {
namespace {

// One message as the viewer's read side sees it.
struct TReadMessage {
    uint8_t ProductId;
    uint8_t MessageId;
    uint8_t DeviceId;
    std::vector<uint8_t> Body; // without the checksum byte
};

std::string Generate(const std::string& description) {
    std::istringstream in(description);
    std::ostringstream out;
    GeneratePresets(in, out);
    return out.str();
}

// Reads the file back with the read side of the message class, which also
// tests every checksum.
std::vector<TReadMessage> ReadBack(const std::string& bytes) {
    std::istringstream in(bytes);
    TKorvaneQVRSysEx message;
    std::vector<TReadMessage> messages;
    while (message.ReadHeader(in)) {
        const int32_t n = message.ReadBody(in);
        TReadMessage m{message.GetProductId(), message.GetMessageId(), message.GetDeviceId(), {}};
        for (int32_t k = 0; k + 1 < n; ++k) {
            m.Body.push_back(static_cast<uint8_t>(message.NextByte()));
        }
        messages.push_back(m);
    }
    return messages;
}

std::vector<TReadMessage> RoundTrip(const std::string& description) {
    return ReadBack(Generate(description));
}

TEST(PresetGenerator, WritesPresetHeader) {
    const auto m = RoundTrip("product QVR-3\npreset 5 \"A&B <x>\"\npreset none \"Free\"\n"
                             "preset 1 \"i\" index=255\n");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].ProductId, 90);
    EXPECT_EQ(m[0].MessageId, 0x21);
    EXPECT_EQ(m[0].DeviceId, 0);
    const std::vector<uint8_t> first{0, 0, 4, 'A', '&', 'B', ' ', '<', 'x', '>', 0, 0, 0, 0, 0};
    EXPECT_EQ(m[0].Body, first);
    EXPECT_EQ(m[1].Body[2], 254);
    EXPECT_EQ(m[2].Body[2], 255);
}

TEST(PresetGenerator, ModelNamesAndNumbersSelectTheProduct) {
    const std::pair<const char*, uint8_t> cases[] = {
        {"QVR-1", 86}, {"QVR-2", 87}, {"Tindrel3", 88}, {"QVR-3", 90}, {"KDT-3", 91}, {"0x59", 89},
    };
    for (const auto& [model, id] : cases) {
        const auto m =
            RoundTrip(std::string("product ") + model + "\ndevice 0x7F\npreset 1 \"x\"\n");
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].ProductId, id) << model;
        EXPECT_EQ(m[0].DeviceId, 0x7F);
    }
}

TEST(PresetGenerator, WritesComponentRecords) {
    const auto m = RoundTrip("product 87\n"
                             "define AMP 12\n"
                             "components\n"
                             "component AMP type=0x0102 values=1,200,0:l0\n"
                             "component 3 spare=9\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].MessageId, 0x24);
    const std::vector<uint8_t> body{0,  0, 0, 2,                              // count
                                    12, 0, 1, 2, 3, 1, 0x81, 200, 0x80, 0, 0, // amp
                                    3,  9, 0, 0, 0};                          // no values
    EXPECT_EQ(m[0].Body, body);
}

TEST(PresetGenerator, WritesModifierRecordsWithTheirLinks) {
    const auto m = RoundTrip("product 91\n"
                             "modifiers\n"
                             "modifier 1 values=3\n"
                             "link module=2 param=3 max=300 min=0\n"
                             "link none\n"
                             "link 40 param=0 max=1 min=2\n"
                             "modifier 2\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].MessageId, 0x26);
    const std::vector<uint8_t> body{0,   0, 0,    2,             // two modifiers
                                    1,   1, 3,                   // id, one value
                                    3,                           // three links
                                    2,   3, 0x82, 0x01, 0x2C, 0, // a link with a long maximum
                                    255, 0, 0,    0,             // no link
                                    40,  0, 1,    2,             // beyond the modules
                                    2,   0, 0};                  // no values, no links
    EXPECT_EQ(m[0].Body, body);
}

TEST(PresetGenerator, WritesUserModelAndRawMessages) {
    const auto m = RoundTrip("product 88\n"
                             "usermodel 7 \"Mine\" data=300\n"
                             "raw 0x0F 00 00 01 02 03 04 05\n"
                             "raw 0x0A 00 01 05 02 10 var=258\n"
                             "raw 0x0B\n");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].MessageId, 0x2A);
    const std::vector<uint8_t> head{0, 0, 0, 7, 0, 0, 0, 'M', 'i', 'n', 'e', 0, 0x01, 0x2C};
    ASSERT_EQ(m[0].Body.size(), head.size() + 300);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), m[0].Body.begin()));
    EXPECT_EQ(m[1].MessageId, 0x0F);
    EXPECT_EQ(m[1].Body, (std::vector<uint8_t>{0, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(m[2].Body, (std::vector<uint8_t>{0, 1, 5, 2, 0x10, 0x82, 0x01, 0x02}));
    EXPECT_EQ(m[3].MessageId, 0x0B);
    EXPECT_TRUE(m[3].Body.empty());
}

TEST(PresetGenerator, RepeatsBlocksWithTheirCounters) {
    const auto m = RoundTrip("product QVR-1\n"
                             "repeat 3\n"
                             "  preset {i+1} \"P{i}\"\n"
                             "  components\n"
                             "  repeat 2 k\n"
                             "    component {i*10+k}\n"
                             "  end\n"
                             "end\n"
                             "preset 9 \"after\"\n");
    ASSERT_EQ(m.size(), 7u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m[2 * i].MessageId, 0x21);
        EXPECT_EQ(m[2 * i].Body[2], i);
        EXPECT_EQ(m[2 * i].Body[4], '0' + i);
        ASSERT_EQ(m[2 * i + 1].MessageId, 0x24);
        EXPECT_EQ(m[2 * i + 1].Body[3], 2);
        EXPECT_EQ(m[2 * i + 1].Body[4], i * 10);
        EXPECT_EQ(m[2 * i + 1].Body[9], i * 10 + 1);
    }
    EXPECT_EQ(m[6].Body[2], 8);
}

TEST(PresetGenerator, EmptyDescriptionWritesNothing) {
    EXPECT_EQ(Generate("# nothing\n\nproduct 90\n"), "");
}

struct TErrorCase {
    const char* Description;
    int Line;
    const char* Message;
};

TEST(PresetGenerator, ReportsFaultsWithTheirLine) {
    const TErrorCase cases[] = {
        {"preset 1 \"x\"\n", 1, "no 'product' line"},
        {"product 90\n\ncomponent 1\n", 3, "outside a 'components' block"},
        {"product 90\nmodifiers\nlink none\n", 3, "without a 'modifier'"},
        {"product 90\nfrobnicate\n", 2, "unknown command 'frobnicate'"},
        {"product 90\npreset 0 \"x\"\n", 2, "preset number 0 is not in 1..254"},
        {"product 90\npreset 1\n", 2, "usage: preset"},
        {"product 90\ncomponents\ncomponent 256\n", 3, "component id 256"},
        {"product 90\ncomponents\ncomponent 1 typo=3\n", 3, "has no key 'typo'"},
        {"product 90\ncomponents\ncomponent 1 values=1,,2\n", 3, "empty value"},
        {"product 90\ncomponents\ncomponent 1 values=300:s1\n", 3, "does not fit"},
        {"product 90\ncomponents\ncomponent 1 values=3:x1\n", 3, "value form"},
        {"product 90\nmodifiers\nmodifier 1\nlink module=3 max=1 min=1\n", 4, "needs param="},
        {"product 90\nraw 0x0F 0G\n", 2, "raw bytes are hex"},
        {"product 90\nrepeat 2\npreset {j} \"x\"\nend\n", 3, "unknown name 'j'"},
        {"product 90\nrepeat 2\n", 2, "'repeat' without 'end'"},
        {"product 90\nend\n", 2, "'end' without 'repeat'"},
        {"product 90\npreset 1 \"open\n", 2, "closing"},
        {"product 90\ncomponents\nrepeat 256\ncomponent 1\nend\n", 2, "more than 255 records"},
        {"product 90\nusermodel 1 \"x\" data=70000\n", 2, "data length 70000"},
        {"product 200\n", 1, "product id 200"},
        {"define 9x 3\n", 1, "starts with a letter"},
    };
    for (const TErrorCase& c : cases) {
        try {
            Generate(c.Description);
            ADD_FAILURE() << "no error for: " << c.Description;
        } catch (const EDescriptionError& e) {
            EXPECT_EQ(e.Line, c.Line) << c.Description;
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos)
                << c.Description << " gave: " << e.what();
        }
    }
}

} // namespace
} // namespace qvr::test
