#include "config/Params.h"

#include "base/Errors.h"
#include "config/ConfigErrors.h"
#include "config/ConfigReader.h"
#include "tests/config/Fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <locale>

namespace qvr::test {
namespace {

TEST(ReadParams, ReadsARunOfDefinitionsWithAllFields) {
    const TFixtureFile file("max = 5\n" // before the first "pn": lost
                            "pn = Level\n"
                            "max = 99\n"
                            "\n"
                            "maxtxt = Max\n"
                            "lnk = T\n"
                            "grp = t\n"
                            "arr = True\n"
                            "bl = T\n"
                            "st = lin\n"
                            "scswp = 64\n"
                            "scm = 0.5\n"
                            "sca = -12\n"
                            "scmhi = 2\n"
                            "scahi = -128\n"
                            "unknown = 1\n"
                            "pn = Tone\r\n"
                            "pn = Level\n");
    auto in = file.Open();
    TQvrParamList list;
    EXPECT_EQ(ReadParams(list, in), 3);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Name(0), "Level");
    EXPECT_EQ(list.Name(1), "Tone");
    EXPECT_EQ(list.Name(2), "Level"); // duplicates kept in file order

    const TQvrParam& level = list.Object(0);
    EXPECT_EQ(level.Name, "Level");
    EXPECT_EQ(level.Max, 99);
    EXPECT_EQ(level.MaxText, "Max");
    EXPECT_TRUE(level.Lnk);
    EXPECT_FALSE(level.Grp);
    EXPECT_FALSE(level.Arr);
    EXPECT_TRUE(level.Bl);
    EXPECT_EQ(level.St, "lin");
    EXPECT_EQ(level.ScaleSwitch, 64.0);
    EXPECT_EQ(level.ScaleMul, 0.5);
    EXPECT_EQ(level.ScaleAdd, -12.0);
    EXPECT_EQ(level.ScaleMulHigh, 2.0);
    EXPECT_EQ(level.ScaleAddHigh, -128.0);

    const TQvrParam& tone = list.Object(1);
    const TQvrParam defaults;
    EXPECT_EQ(tone.Name, "Tone");
    EXPECT_EQ(tone.Max, 0);
    EXPECT_EQ(tone.MaxText, "");
    EXPECT_FALSE(tone.Lnk);
    EXPECT_EQ(tone.ScaleSwitch, 1000000000.0);
    EXPECT_EQ(tone.ScaleMul, 1.0);
    EXPECT_EQ(tone.ScaleAdd, 0.0);
    EXPECT_EQ(tone.ScaleMulHigh, 1.0);
    EXPECT_EQ(tone.ScaleAddHigh, 0.0);
    EXPECT_TRUE(tone.Items.empty());
    EXPECT_EQ(defaults.ScaleSwitch, 1000000000.0);
}

TEST(ReadParamFields, StopsAtTheNextParameterAndAtBlockKeywords) {
    for (const char* keyword : {"cn", "tid", "qvr", "fx", "modifiers", "pn", "mn"}) {
        const std::string stop = std::string(keyword) + " = X";
        const TFixtureFile file("max = 4\n" + stop + "\nmax = 9\n");
        auto in = file.Open();
        TQvrParam param;
        ReadParamFields(param, in);
        EXPECT_EQ(param.Max, 4) << keyword;
        EXPECT_EQ(ReadConfigLine(in), stop) << keyword;
    }
}

TEST(ReadParamFields, SplitsItemsKeepingBlanksAndEmptyPieces) {
    const struct {
        std::string Lines;
        std::vector<std::string> Items;
    } cases[] = {
        {"items = Off,On\n", {"Off", "On"}},
        {"items = Off, On\n", {"Off", " On"}},
        {"items = a,,b\n", {"a", "", "b"}},
        {"items = a,b,\n", {"a", "b", ""}},
        {"items = ,\n", {"", ""}},
        {"items = single\n", {"single"}},
        {"items = \" a , b \"\n", {" a ", " b "}},
        {"items = a,b\nitems = c\n", {"a", "b", "c"}}, // a second line appends
        {"items\n", {"(none)"}},
    };
    for (const auto& c : cases) {
        const TFixtureFile file(c.Lines);
        auto in = file.Open();
        TQvrParam param;
        ReadParamFields(param, in);
        EXPECT_EQ(param.Items, c.Items) << "lines: [" << c.Lines << "]";
    }
}

// "items" lines that give `count` value texts in all, 200 to a line.
std::string ItemsLines(size_t count) {
    std::string lines;
    for (size_t done = 0; done < count; done += 200) {
        lines += "items = " + std::string(std::min<size_t>(200, count - done) - 1, ',') + "\n";
    }
    return lines;
}

TEST(ReadParamFields, MoreItemsThanTheLimitFail) {
    for (const size_t count : {MaxParamItems, MaxParamItems + 1}) {
        const TFixtureFile file("pn = Mode\n" + ItemsLines(count));
        auto in = file.Open();
        TQvrParamList list;
        try {
            ReadParams(list, in);
            EXPECT_EQ(count, MaxParamItems);
            EXPECT_EQ(list.Object(0).Items.size(), count);
        } catch (const EQvrInvalidConfigFile& e) {
            EXPECT_EQ(count, MaxParamItems + 1);
            EXPECT_EQ(e.Message, "Parameter 'Mode' has more than 4096 items.");
        }
    }
}

TEST(ReadParamFields, BareKeywordsGetTheNoneValue) {
    const TFixtureFile file("max\nlnk\nst\nmaxtxt\n");
    auto in = file.Open();
    TQvrParam param;
    param.Max = 5;
    param.Lnk = true;
    ReadParamFields(param, in);
    EXPECT_EQ(param.Max, 0);
    EXPECT_FALSE(param.Lnk);
    EXPECT_EQ(param.St, "(none)");
    EXPECT_EQ(param.MaxText, "(none)");

    const TFixtureFile bare("pn\n");
    auto in2 = bare.Open();
    TQvrParamList list;
    ReadParams(list, in2);
    EXPECT_EQ(list.Name(0), "(none)");
}

TEST(ReadParamFields, LaterLinesWinAndBadIntegersGiveZero) {
    const TFixtureFile file("max = 3\nmax = 8\nst = a\nst = b\nscm = 2\nscm = 4\n"
                            "pn = X\nmax = 1.5\npn = Y\nmax = 99999999999\n");
    auto in = file.Open();
    TQvrParamList list;
    list.Add("first", std::make_unique<TQvrParam>());
    ReadParamFields(list.Object(0), in);
    EXPECT_EQ(list.Object(0).Max, 8);
    EXPECT_EQ(list.Object(0).St, "b");
    EXPECT_EQ(list.Object(0).ScaleMul, 4.0);
    EXPECT_EQ(ReadParams(list, in), 2);
    EXPECT_EQ(list.Object(1).Max, 0);
    EXPECT_EQ(list.Object(2).Max, 0);
}

TEST(ReadParamFields, RealsThatAreNotNumbersRaiseTheConversionError) {
    const struct {
        std::string Line;
        std::string Message;
    } cases[] = {
        {"scm = 0,5", "'0,5' is not a valid floating point value"},
        {"sca = abc", "'abc' is not a valid floating point value"},
        {"scswp = 1e", "'1e' is not a valid floating point value"},
        {"scmhi", "'(none)' is not a valid floating point value"},
        {"scahi = \"\"", "'' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        const TFixtureFile file("max = 1\n" + c.Line + "\n");
        auto in = file.Open();
        TQvrParam param;
        try {
            ReadParamFields(param, in);
            ADD_FAILURE() << "accepted: " << c.Line;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
    }
    const TFixtureFile empty("scm =\n");
    auto in = empty.Open();
    TQvrParam param;
    EXPECT_THROW(ReadParamFields(param, in), ERangeError);
}

// Under a locale that writes a comma, reals of the file still read with ".",
// and the user's locale is the same afterwards, also after a failure.
TEST(ReadParamFields, ReadsRealsWithADotUnderACommaLocale) {
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedGlobal;
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup generates it)";
    }
    std::locale::global(std::locale("de_DE.UTF-8"));
    const TFixtureFile file("pn = Time\nscm = 0.5\nsca = -1.25e1\nscswp = 1000.75\n"
                            "pn = Bad\nscm = 0,5\n");
    auto in = file.Open();
    TQvrParamList list;
    bool badRejected = false;
    try {
        ReadParams(list, in);
    } catch (const EConvertError&) {
        badRejected = true;
    }
    const std::string cAfter = std::setlocale(LC_NUMERIC, nullptr);
    const char globalPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
    std::locale::global(savedGlobal);
    std::setlocale(LC_ALL, savedC.c_str());

    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Object(0).ScaleMul, 0.5);
    EXPECT_EQ(list.Object(0).ScaleAdd, -12.5);
    EXPECT_EQ(list.Object(0).ScaleSwitch, 1000.75);
    EXPECT_TRUE(badRejected);
    EXPECT_EQ(cAfter, "de_DE.UTF-8");
    EXPECT_EQ(globalPoint, ',');
}

} // namespace
} // namespace qvr::test
