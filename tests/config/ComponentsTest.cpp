#include "config/Components.h"

#include "base/Errors.h"
#include "config/ConfigReader.h"
#include "config/Modifiers.h"
#include "tests/config/Fixture.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

TEST(ReadComponents, ReadsEntriesWithTypesParamsAndProperties) {
    const TFixtureFile file("skipped = 1\n"
                            "\n"
                            "cn = Chorus\n"
                            "cid = 20\n"
                            "pos = 4\n"
                            "types\n"
                            "tpn = Chorus Type\n"
                            "tn = Classic\n"
                            "tid = 1\n"
                            "tn = Deep\n"
                            "tid = 2\n"
                            "params\n"
                            "tid = 1\n"
                            "pn = On/Off\n"
                            "items = Off,On\n"
                            "pn = Rate\n"
                            "tid = 2\n"
                            "pn = On/Off\n"
                            "cn = Delay\n"
                            "types = 3\n" // with a value: a property
                            "fx\n"        // not a header here: a property
                            "bare\n"
                            "cn = Chorus\n"
                            "cid = 20\n"
                            "qvr\n");
    auto in = file.Open();
    TQvrComponentList list;
    EXPECT_EQ(ReadComponents(list, in), 3);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Name(0), "Chorus");
    EXPECT_EQ(list.Name(1), "Delay");
    EXPECT_EQ(list.Name(2), "Chorus");

    const TQvrComponent& chorus = list.Object(0);
    EXPECT_EQ(chorus.Id, 20);
    EXPECT_EQ(chorus.Name, "Chorus");
    EXPECT_EQ(chorus.TypeLabel, "Chorus Type");
    ASSERT_EQ(chorus.TypeNames.size(), 2u);
    EXPECT_EQ(chorus.TypeNames[1].Name, "Deep");
    EXPECT_EQ(chorus.TypeNames[1].Id, 2);
    ASSERT_EQ(chorus.Types.Count(), 2u);
    EXPECT_EQ(chorus.Types.Item(0).Params.Count(), 2u);
    EXPECT_EQ(chorus.Types.Item(0).Params.Object(0).Items.size(), 2u);
    EXPECT_EQ(chorus.Types.Item(1).Params.Count(), 1u);
    ASSERT_EQ(chorus.Properties.Count(), 1u);
    EXPECT_EQ(chorus.Properties.Name(0), "pos");
    EXPECT_EQ(chorus.Properties.Object(0).Value, "4");

    const TQvrComponent& delay = list.Object(1);
    EXPECT_EQ(delay.Id, 0); // no "cid"
    EXPECT_TRUE(delay.TypeNames.empty());
    ASSERT_EQ(delay.Properties.Count(), 3u);
    EXPECT_EQ(delay.Properties.Name(0), "types");
    EXPECT_EQ(delay.Properties.Object(0).Value, "3");
    EXPECT_EQ(delay.Properties.Name(1), "fx");
    EXPECT_EQ(delay.Properties.Name(2), "bare");
    EXPECT_EQ(delay.Properties.Object(2).Value, "");
    EXPECT_EQ(ReadConfigLine(in), "qvr"); // left for the section search
}

TEST(ReadComponents, LineStartingWithEqualsEndsAnEntryAndIsSkipped) {
    const TFixtureFile file("cn = A\ncid = 1\n= 5\ncid = 2\ncn = B\ncid = 3\n");
    auto in = file.Open();
    TQvrComponentList list;
    EXPECT_EQ(ReadComponents(list, in), 2);
    EXPECT_EQ(list.Object(0).Id, 1);
    EXPECT_EQ(list.Object(1).Name, "B");
    EXPECT_EQ(list.Object(1).Id, 3);
}

TEST(ReadComponents, ColorsLineBeforeTheNextHeaderEndsTheSection) {
    const TFixtureFile file("cn = A\ncolors\ncn = Hidden\nqvr\n");
    auto in = file.Open();
    TQvrComponentList list;
    EXPECT_EQ(ReadComponents(list, in), 1);
    EXPECT_TRUE(FindSection(in, "qvr"));
}

TEST(ReadComponent, FindsNoEntryBeforeAHeaderAndStepsBack) {
    const TFixtureFile file("junk = 1\n\ncolors\ncn = Late\n");
    auto in = file.Open();
    TQvrComponent component;
    EXPECT_FALSE(ReadComponent(component, in));
    EXPECT_EQ(ReadConfigLine(in), "junk = 1");

    const TFixtureFile nothing("junk = 1\n");
    auto in2 = nothing.Open();
    EXPECT_FALSE(ReadComponent(component, in2));
    EXPECT_FALSE(in2.eof());
    EXPECT_FALSE(FindSection(in2, "qvr"));
}

TEST(ReadComponent, BareNameLineGivesAnEmptyName) {
    const TFixtureFile file("cn\ncid = 4\nmn\n");
    auto in = file.Open();
    TQvrComponentList list;
    EXPECT_EQ(ReadComponents(list, in), 1);
    EXPECT_EQ(list.Name(0), "");
    EXPECT_EQ(list.Object(0).Id, 4);
    EXPECT_EQ(list.Object(0).Properties.Name(0), "mn");
}

TEST(ReadComponents, LibraryErrorsPassThrough) {
    const TFixtureFile range("cn = A\ncid =\n");
    auto in = range.Open();
    TQvrComponentList list;
    EXPECT_THROW(ReadComponents(list, in), ERangeError);
    const TFixtureFile convert("cn = A\nparams\ntid = 1\npn = P\nscm = x\n");
    auto in2 = convert.Open();
    EXPECT_THROW(ReadComponents(list, in2), EConvertError);
}

TEST(ReadModifiers, ReadsEntriesWithParamsAndProperties) {
    const TFixtureFile file("qvr\n" // no header ends the search for "mn"
                            "mn = Expression Pedal\n"
                            "mid = 1\n"
                            "kind = pedal\n"
                            "params\n"
                            "pn = Position\n"
                            "max = 127\n"
                            "mn = LFO 1\n"
                            "params\n"
                            "pn = Rate\n"
                            "scm = 0.1\n"
                            "pn = Depth\n"
                            "colors\n"
                            "back = 1\n");
    auto in = file.Open();
    TQvrModifierList list;
    EXPECT_EQ(ReadModifiers(list, in), 2);
    ASSERT_EQ(list.Count(), 2u);
    const TQvrModifier& pedal = list.Object(0);
    EXPECT_EQ(pedal.Name, "Expression Pedal");
    EXPECT_EQ(pedal.Id, 1);
    ASSERT_EQ(pedal.Properties.Count(), 1u);
    EXPECT_EQ(pedal.Properties.Name(0), "kind");
    ASSERT_EQ(pedal.Params.Count(), 1u);
    EXPECT_EQ(pedal.Params.Object(0).Max, 127);
    const TQvrModifier& lfo = list.Object(1);
    EXPECT_EQ(lfo.Id, 0);
    ASSERT_EQ(lfo.Params.Count(), 2u);
    EXPECT_EQ(lfo.Params.Object(0).ScaleMul, 0.1);
}

} // namespace
} // namespace qvr::test
