#include "report/ComponentRenderer.h"

#include "ReportFixtures.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

// Renders the records one after the other from one body; checks that each
// record is consumed exactly by reading a marker byte after the last one.
void RenderAll(TRenderBench& bench, const std::vector<Bytes>& records) {
    Bytes body;
    for (const Bytes& record : records) {
        body.insert(body.end(), record.begin(), record.end());
    }
    body.push_back(0x5A);
    auto message = BodyMessage(body);
    for (size_t i = 0; i < records.size(); ++i) {
        RenderComponent(*message, bench.Context);
    }
    EXPECT_EQ(message->NextByte(), 0x5A) << "records not consumed exactly";
}

struct TRecordCase {
    const char* What;
    Bytes Record;
    Lines Expected;
    int32_t Entry; // the module entry recorded
};

void PrintTo(const TRecordCase& c, std::ostream* os) {
    *os << c.What;
}

class RenderComponentRecordTest : public testing::TestWithParam<TRecordCase> {};

TEST_P(RenderComponentRecordTest, AppendsTheModulesLinesAndRecordsIt) {
    const TRecordCase& c = GetParam();
    TRenderBench bench;
    RenderAll(bench, {c.Record});
    EXPECT_EQ(bench.AllLines(), c.Expected) << c.What;
    ASSERT_EQ(bench.State.ModulePositions.size(), 1u) << c.What;
    EXPECT_EQ(bench.State.ModulePositions[0], c.Entry) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Records, RenderComponentRecordTest,
    testing::Values(TRecordCase{"amp: heading, no type line, its parameters",
                                {1, 0, 0, 10, 3, 0, 1, 5},
                                {"<br>", "<b>Green Amp</b>", "Status = On", "Gain = 5"},
                                1 * 65536},
                    TRecordCase{"effect: type line, every type with the record's id",
                                {3, 0, 0, 30, 3, 1, 5, 99},
                                {"<br>", "<b>Chorus</b>", "Type = Deep", "Rate = 0.5", "Mix = 5",
                                 "Depth = Full", "Feedback = 99"},
                                3 * 65536 + 1},
                    TRecordCase{"input: no cell, no heading, lines still appended",
                                {4, 0, 0, 40, 2, 0, 3},
                                {"Source = Guitar", "Trim = 3"},
                                4 * 65536},
                    TRecordCase{"output: known but without lines", {7, 0, 0, 0, 0}, {}, 7 * 65536},
                    TRecordCase{"amplarium: own heading and a type line",
                                {6, 0, 0, 60, 2, 0, 7},
                                {"<br>", "<b>Amp Channel</b>", "Channel = Dual", "Blend = 7"},
                                6 * 65536},
                    TRecordCase{"no values: heading only",
                                {3, 0, 0, 30, 0},
                                {"<br>", "<b>Chorus</b>"},
                                3 * 65536},
                    TRecordCase{"type index beyond the type names",
                                {3, 0, 0, 30, 2, 5, 2},
                                {"<br>", "<b>Chorus</b>", "Rate = 0.2", "Mix = 2"},
                                3 * 65536 + 5},
                    TRecordCase{"no type names: no type line",
                                {8, 0, 0, 80, 2, 0, 9},
                                {"<br>", "<b>Delay</b>", "Time = 9"},
                                8 * 65536},
                    TRecordCase{"type id without parameters: values consumed",
                                {3, 0, 0, 77, 3, 0, 1, 2},
                                {"<br>", "<b>Chorus</b>", "Type = Classic"},
                                3 * 65536},
                    TRecordCase{"more values than parameters",
                                {1, 0, 0, 11, 4, 1, 30, 2, 3},
                                {"<br>", "<b>Green Amp</b>", "Drive = 3"},
                                1 * 65536 + 1},
                    TRecordCase{"long-form values",
                                {3, 0, 0, 30, 2, 0x81, 0x01, 0x82, 0x01, 0x2C},
                                {"<br>", "<b>Chorus</b>", "Type = Deep", "Rate = 30", "Mix = 300"},
                                3 * 65536 + 1},
                    TRecordCase{"unknown component: consumed without lines",
                                {99, 0, 0, 1, 2, 3, 4},
                                {},
                                99 * 65536 + 3}),
    TNameByWhat());

TEST(RenderComponentChain, GreenThenRedAmpsAndCabinets) {
    TRenderBench bench;
    const Bytes amp = {1, 0, 0, 10, 0};
    const Bytes cab = {2, 0, 0, 20, 0};
    const Bytes chorus = {3, 0, 0, 30, 0};
    RenderAll(bench, {cab, amp, chorus, cab, amp, cab, amp});
    EXPECT_EQ(bench.AllLines(),
              (Lines{"<br>", "<b>Green Cabinet</b>", "<br>", "<b>Green Amp</b>", "<br>",
                     "<b>Chorus</b>", "<br>", "<b>Green Cabinet</b>", "<br>", "<b>Red Amp</b>",
                     "<br>", "<b>Red Cabinet</b>", "<br>", "<b>Red Amp</b>"}));
    const TRenderState& s = bench.State;
    EXPECT_EQ(s.AmpCount, 3);
    // First come, first served: the channel positions keep the first modules.
    EXPECT_EQ(s.GreenCabPos, 0);
    EXPECT_EQ(s.GreenAmpPos, 1);
    EXPECT_EQ(s.RedCabPos, 3);
    EXPECT_EQ(s.RedAmpPos, 4);
    EXPECT_EQ(s.ModulePositions.size(), 7u);
}

TEST(RenderComponentChain, AmpsAndCabinetsStartWithTheirNameSlots) {
    TRenderBench bench;
    RenderAll(bench, {{1, 0, 0, 10, 2, 0, 1}, {2, 0, 0, 20, 0}, {1, 0, 0, 10, 0}, {9, 0, 0, 0, 0}});
    EXPECT_EQ(bench.Kinds(),
              (std::vector<TModuleKind>{TModuleKind::Amp, TModuleKind::Cabinet, TModuleKind::Amp,
                                        TModuleKind::UnknownComponent}));
    const TRenderState& s = bench.State;
    ASSERT_TRUE(s.GreenAmpNameSlot.Filled);
    EXPECT_EQ(s.GreenAmpNameSlot.ComponentId, 1);
    ASSERT_TRUE(s.GreenCabNameSlot.Filled);
    EXPECT_EQ(s.GreenCabNameSlot.ComponentId, 2);
    ASSERT_TRUE(s.RedAmpNameSlot.Filled);
    EXPECT_FALSE(s.RedCabNameSlot.Filled);
    EXPECT_EQ(s.NameSlotCount, 3);
}

TEST(RenderComponentShortData, MissingBytesEndTheRecordWithoutLines) {
    TRenderBench bench;
    auto message = BodyMessage({1, 0, 0});
    RenderComponent(*message, bench.Context);
    RenderComponent(*message, bench.Context); // entirely past the end
    EXPECT_EQ(bench.AllLines(), (Lines{"<br>", "<b>Green Amp</b>"}));
    // A missing value count (-1) is no count of 0: nothing is recorded.
    EXPECT_TRUE(bench.State.ModulePositions.empty());
    EXPECT_EQ(bench.State.GreenAmpPos, -1);
}

} // namespace
} // namespace qvr::test
