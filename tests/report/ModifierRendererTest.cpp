#include "report/ModifierRenderer.h"

#include "ReportFixtures.h"
#include "report/ComponentRenderer.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const uint8_t UnknownModifier = 99;

// Renders a chain whose modules sit at these positions:
//   0 Input, 1 Amp (Crunch, green), 2 Cabinet (green), 3 Chorus (Classic),
//   4 Misc, 5 Delay (no type names), 6 unknown component 99,
//   7 Chorus with type index 7 (beyond its names), 8 Amp with type index 9 (red),
//   9 Amplarium
void RenderChain(TRenderBench& bench) {
    auto chain = BodyMessage({4,  0, 0, 40, 1, 0, 1,  0, 0, 11, 1, 1, 2,  0, 0, 20, 1, 0, 3, 0, 0,
                              30, 1, 0, 5,  0, 0, 50, 1, 0, 8,  0, 0, 80, 1, 0, 99, 0, 0, 0, 1, 0,
                              3,  0, 0, 30, 1, 7, 1,  0, 0, 10, 1, 9, 6,  0, 0, 60, 1, 0});
    for (int i = 0; i < 10; ++i) {
        RenderComponent(*chain, bench.Context);
    }
    bench.Forget();
}

// Renders one modifier record and checks that it was consumed exactly (a
// record cut short by the end of the body is rendered as it stands).
Lines RenderRecord(TRenderBench& bench, Bytes record, bool cutShort = false) {
    if (!cutShort) {
        record.push_back(0x5A);
    }
    auto message = BodyMessage(record);
    RenderModifier(*message, bench.Context);
    EXPECT_EQ(message->NextByte(), cutShort ? -1 : 0x5A) << "record not consumed exactly";
    return bench.AllLines();
}

struct TLinkCase {
    const char* What;
    Bytes Link; // module position, parameter byte, maximum, minimum
    Lines Expected;
    bool Warned;
};

void PrintTo(const TLinkCase& c, std::ostream* os) {
    *os << c.What;
}

class SingleLinkTest : public testing::TestWithParam<TLinkCase> {};

TEST_P(SingleLinkTest, NamesTheLinkedParameterAndItsRange) {
    const TLinkCase& c = GetParam();
    TRenderBench bench;
    RenderChain(bench);
    Bytes record = {UnknownModifier, 0, 1};
    record.insert(record.end(), c.Link.begin(), c.Link.end());
    EXPECT_EQ(RenderRecord(bench, record, c.Link.empty()), c.Expected) << c.What;
    const Lines warnings =
        c.Warned ? Lines{std::string("warning: ") + LinkOutOfRangeWarning} : Lines{};
    EXPECT_EQ(bench.Notifier.Messages, warnings) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleLinkTest,
    testing::Values(
        TLinkCase{"empty link", {255, 3, 0x81, 0x05, 1}, {"No link"}, false},
        TLinkCase{"green amp, own display form",
                  {1, 1, 30, 0},
                  {"Linked param = Green Drive", "Max = 3", "Min = -12"},
                  false},
        TLinkCase{"effect by name, max text",
                  {3, 2, 99, 10},
                  {"Linked param = Chorus Depth", "Max = Full", "Min = 10"},
                  false},
        TLinkCase{"green cabinet, items",
                  {2, 1, 1, 0},
                  {"Linked param = Green Cab Mic", "Max = Condenser", "Min = Dynamic"},
                  false},
        TLinkCase{"red amp with its type index beyond the names uses type 0",
                  {8, 2, 7, 0},
                  {"Linked param = Red Gain", "Max = 7", "Min = 0"},
                  false},
        TLinkCase{"misc has an empty label",
                  {4, 1, 5, 1},
                  {"Linked param =  Tempo", "Max = 5", "Min = 1"},
                  false},
        TLinkCase{"amplarium has an empty label",
                  {9, 1, 4, 0},
                  {"Linked param =  Blend", "Max = 4", "Min = 0"},
                  false},
        TLinkCase{"input is named",
                  {0, 1, 3, 2},
                  {"Linked param = Input Trim", "Max = 3", "Min = 2"},
                  false},
        TLinkCase{"parameter byte 0",
                  {3, 0, 5, 1},
                  {"Linked param index = Chorus -1", "Max val = 5", "Min val = 1"},
                  false},
        TLinkCase{"parameter only in a later list of the type's id",
                  {3, 3, 5, 1},
                  {"Linked param index = Chorus 2", "Max val = 5", "Min val = 1"},
                  false},
        TLinkCase{"parameter beyond the type's list",
                  {3, 9, 0x82, 0x01, 0x2C, 1},
                  {"Linked param index = Chorus 8", "Max val = 300", "Min val = 1"},
                  false},
        TLinkCase{"effect type index beyond its names",
                  {7, 1, 0x81, 0x05, 1},
                  {"Linked param undefined"},
                  true},
        TLinkCase{"effect without type names", {5, 1, 5, 1}, {"Linked param undefined"}, true},
        TLinkCase{"module of an unknown component", {6, 1, 5, 1}, {"Linked param undefined"}, true},
        TLinkCase{"position beyond the chain",
                  {40, 3, 7, 2},
                  {"Linked param module position = 40", "Linked param index = 3",
                   "Param 0 max val = 7", "Param 0 min val = 2"},
                  false},
        TLinkCase{"position missing at the end of the body",
                  {},
                  {"Linked param module position = -1", "Linked param index = -1",
                   "Param 0 max val = -1", "Param 0 min val = -1"},
                  false}),
    TNameByWhat());

TEST(MultipleLinks, OrdinalWordsLeadTheLines) {
    TRenderBench bench;
    RenderChain(bench);
    EXPECT_EQ(RenderRecord(bench, {UnknownModifier, 0, 3, 1, 1, 30, 0, 255, 0, 0, 0, 40, 3, 7, 2}),
              (Lines{"1st linked param = Green Drive", "Max = 3", "Min = -12", "No 2nd link",
                     "3rd linked param module position = 40", "3rd linked param index = 3",
                     "Param 2 max val = 7", "Param 2 min val = 2"}));
}

TEST(MultipleLinks, IndexAndUndefinedFormsTakeTheOrdinal) {
    TRenderBench bench;
    RenderChain(bench);
    EXPECT_EQ(RenderRecord(bench, {UnknownModifier, 0, 2, 3, 0, 5, 1, 7, 1, 5, 1}),
              (Lines{"1st linked param index = Chorus -1", "Max val = 5", "Min val = 1",
                     "2nd linked param undefined"}));
}

TEST(MultipleLinks, FromTheNinthLinkTheOrdinalIsEmpty) {
    TRenderBench bench;
    RenderChain(bench);
    Bytes record = {UnknownModifier, 0, 10};
    for (int i = 0; i < 8; ++i) {
        record.insert(record.end(), {255, 0, 0, 0});
    }
    record.insert(record.end(), {3, 2, 5, 1, 255, 0, 0, 0});
    const Lines lines = RenderRecord(bench, record);
    const Lines expected = {"No 1st link", "No 2nd link", "No 3rd link",
                            "No 4th link", "No 5th link", "No 6th link",
                            "No 7th link", "No 8th link", " linked param = Chorus Depth",
                            "Max = 5",     "Min = 1",     "No  link"};
    EXPECT_EQ(lines, expected);
}

TEST(ModifierHeading, KnownModifierOpensACellWithItsParameters) {
    TRenderBench bench;
    // Three values for a modifier with two parameters: the third is consumed silently.
    EXPECT_EQ(RenderRecord(bench, {1, 3, 5, 0x81, 0x06, 7, 0}),
              (Lines{"<br>", "<b>Expression</b>", "Position = 5", "Heel = 6"}));
}

TEST(ModifierHeading, UnknownModifierStillRendersItsLinks) {
    TRenderBench bench;
    RenderChain(bench);
    EXPECT_EQ(RenderRecord(bench, {UnknownModifier, 2, 5, 0x81, 0x10, 1, 255, 0, 0, 0}),
              (Lines{"No link"}));
}

TEST(ModifierHeading, ValuesUseTheDecimalSeparatorGiven) {
    TRenderBench bench;
    bench.Context.DecimalSeparator = ',';
    EXPECT_EQ(RenderRecord(bench, {2, 1, 25, 0}), (Lines{"<br>", "<b>LFO 1</b>", "Speed = 2,5"}));
}

} // namespace
} // namespace qvr::test
