#include "config/Types.h"

#include "config/Components.h"
#include "config/ConfigErrors.h"
#include "config/ConfigReader.h"
#include "tests/config/Fixture.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

TEST(ReadTypeNames, ReadsLabelAndNamesWithTheirIds) {
    const TFixtureFile file("tpn = Amp Type\n"
                            "tn = Clean\n"
                            "tid = 3\n"
                            "tid = 99\n" // a "tid" without "tn": skipped
                            "tn = Lead\n"
                            "\n"
                            "  \r\n"
                            "tid = 7\n"
                            "tn\n"
                            "tid = x\n"
                            "tn = Clean\n"
                            "tid = 3\n"
                            "tpn = Model\n"
                            "params\n"
                            "tid = 3\n");
    auto in = file.Open();
    TQvrComponent component;
    EXPECT_EQ(ReadTypeNames(component, in), 4);
    EXPECT_EQ(component.TypeLabel, "Model");
    ASSERT_EQ(component.TypeNames.size(), 4u);
    EXPECT_EQ(component.TypeNames[0].Name, "Clean");
    EXPECT_EQ(component.TypeNames[0].Id, 3);
    EXPECT_EQ(component.TypeNames[1].Name, "Lead");
    EXPECT_EQ(component.TypeNames[1].Id, 7);
    EXPECT_EQ(component.TypeNames[2].Name, "(none)");
    EXPECT_EQ(component.TypeNames[2].Id, 0);
    EXPECT_EQ(component.TypeNames[3].Name, "Clean");
    EXPECT_EQ(ReadConfigLine(in), "params");
}

TEST(ReadTypeNames, TypeNameWithoutItsIdFails) {
    const struct {
        std::string Text;
        std::string Message;
    } cases[] = {
        {"tn = Clean\ntn = Lead\ntid = 1\n", "Could not find 'tid' after 'tn = Clean'."},
        {"tn = Clean\n\n\n", "Could not find 'tid' after 'tn = Clean'."},
        {"tn = Clean\n", "Could not find 'tid' after 'tn = Clean'."},
        {"tn = Clean\nTID = 1\n", "Could not find 'tid' after 'tn = Clean'."},
        {"tn = Clean", "Premature EOF while locating 'tid' for 'tn = Clean'."},
        {"tid = 1\ntn = \"Hi Gain\"", "Premature EOF while locating 'tid' for 'tn = Hi Gain'."},
        {"tn\r\n", "Could not find 'tid' after 'tn = (none)'."},
    };
    for (const auto& c : cases) {
        const TFixtureFile file(c.Text);
        auto in = file.Open();
        TQvrComponent component;
        try {
            ReadTypeNames(component, in);
            ADD_FAILURE() << "accepted: [" << c.Text << "]";
        } catch (const EQvrInvalidConfigFile& e) {
            EXPECT_EQ(e.Message, c.Message);
        }
    }
    // The "tid" may be the last line without a line end.
    const TFixtureFile last("tn = Clean\ntid = 4");
    auto in = last.Open();
    TQvrComponent component;
    EXPECT_EQ(ReadTypeNames(component, in), 1);
    EXPECT_EQ(component.TypeNames[0].Id, 4);
}

TEST(ReadTypes, ReadsOneParameterSetPerTid) {
    const TFixtureFile file("pn = Lost\n" // before the first "tid"
                            "tid = 3\n"
                            "pn = Drive\n"
                            "pn = Bass\n"
                            "tid = 7\n"
                            "tid = 3\n"
                            "pn = Gain\n"
                            "mn = Skipped\n" // ends the run, skipped here
                            "pn = Late\n"    // lost: no "tid" before it
                            "tid = abc\n"
                            "cn = Next\n");
    auto in = file.Open();
    TQvrTypeList types;
    ReadTypes(types, in);
    ASSERT_EQ(types.Count(), 4u);
    EXPECT_EQ(types.Item(0).Id, 3);
    ASSERT_EQ(types.Item(0).Params.Count(), 2u);
    EXPECT_EQ(types.Item(0).Params.Name(0), "Drive");
    EXPECT_EQ(types.Item(0).Params.Name(1), "Bass");
    EXPECT_EQ(types.Item(1).Id, 7);
    EXPECT_EQ(types.Item(1).Params.Count(), 0u);
    EXPECT_EQ(types.Item(2).Id, 3); // duplicate ids stay, in file order
    ASSERT_EQ(types.Item(2).Params.Count(), 1u);
    EXPECT_EQ(types.Item(2).Params.Name(0), "Gain");
    EXPECT_EQ(types.Item(3).Id, 0);
    EXPECT_EQ(ReadConfigLine(in), "cn = Next");
}

} // namespace
} // namespace qvr::test
