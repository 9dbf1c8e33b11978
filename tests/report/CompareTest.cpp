#include "ReportFixtures.h"
#include "report/CompareWriters.h"
#include "report/PresetCompare.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

using Lines = std::vector<std::string>;

// One preset from lines: "Heading:" starts a module, "[Input]:" and
// "[Output]:" a module without heading (ids 1 and 2), "[?ID]:" one the
// configuration does not know, "name = value" is a pair, anything else a whole
// line. Modules without heading stand at their place among all modules.
TPresetRecord Record(const Lines& lines) {
    std::vector<TPresetRecord> records;
    TPresetCollector collector([&](TPresetRecord&& r) { records.push_back(std::move(r)); });
    TEvents events(collector);
    events.PresetHeading("QVR-3", 1, "P");
    events.ChainStart();
    int32_t place = 0;
    for (const std::string& line : lines) {
        const size_t equals = line.find(" = ");
        if (line.front() == '[' && line.back() == ':') {
            const std::string name = line.substr(1, line.size() - 3);
            TModule module;
            module.Position = place++;
            if (name.front() == '?') {
                module.Kind = TModuleKind::UnknownComponent;
                module.Id = std::stoi(name.substr(1));
            } else {
                module.Kind = name == "Input" ? TModuleKind::Input : TModuleKind::Output;
                module.Id = name == "Input" ? 1 : 2;
                module.Name = events.Builder.Store(name);
            }
            events.Builder.StartModule(module, TNameSlot::None);
        } else if (line.back() == ':') {
            ++place;
            events.ModuleStart(line.substr(0, line.size() - 1));
        } else if (equals != std::string::npos) {
            events.Value(line.substr(0, equals), line.substr(equals + 3));
        } else {
            events.Line(line);
        }
    }
    events.ReportEnd();
    return records.at(0);
}

// The changes as the text form words them.
Lines Words(const std::vector<TChange>& changes) {
    Lines words;
    for (const TChange& c : changes) {
        const std::string module = c.Module ? *c.Module + ": " : "";
        switch (c.Kind) {
        case TChange::TKind::ModuleAdded:
            words.push_back("+ " + c.Module.value_or(""));
            break;
        case TChange::TKind::ModuleRemoved:
            words.push_back("- " + c.Module.value_or(""));
            break;
        case TChange::TKind::ValueChanged:
            words.push_back(module + c.Name + ": " + c.Old + " -> " + c.New);
            break;
        case TChange::TKind::LineAdded:
            words.push_back(module + "+ " + c.Name + (c.IsPair ? " = " + c.New : ""));
            break;
        case TChange::TKind::LineRemoved:
            words.push_back(module + "- " + c.Name + (c.IsPair ? " = " + c.Old : ""));
            break;
        }
    }
    return words;
}

struct TCompareCase {
    std::string What;
    Lines Old;
    Lines New;
    Lines Changes;
};

class ComparePresetsTest : public testing::TestWithParam<TCompareCase> {};

TEST_P(ComparePresetsTest, ListsTheChangesInChainOrder) {
    const TCompareCase& c = GetParam();
    EXPECT_EQ(Words(ComparePresets(Record(c.Old), Record(c.New))), c.Changes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComparePresetsTest,
    testing::Values(
        TCompareCase{
            "same", {"Gain = 1", "Amp:", "Drive = 2"}, {"Gain = 1", "Amp:", "Drive = 2"}, {}},
        TCompareCase{"value before any module and in a module",
                     {"Gain = 1", "Amp:", "Drive = 2", "Bass = 3"},
                     {"Gain = 4", "Amp:", "Drive = 2", "Bass = 5"},
                     {"Gain: 1 -> 4", "Amp: Bass: 3 -> 5"}},
        TCompareCase{"module added and removed, by heading in chain order",
                     {"Delay:", "Time = 1", "Amp:", "Drive = 2", "Delay:", "Time = 3"},
                     {"Amp:", "Drive = 2", "Chorus:", "Delay:", "Time = 4"},
                     {"- Delay", "+ Chorus", "Delay: Time: 3 -> 4"}},
        TCompareCase{
            "links: repeated names matched in order, whole lines by text",
            {"LFO 1:", "1st linked param = Volume", "Max = 9", "2nd linked param = Mix", "Max = 7"},
            {"LFO 1:", "1st linked param = Volume", "Max = 8", "No link"},
            {"LFO 1: Max: 9 -> 8", "LFO 1: - 2nd linked param = Mix", "LFO 1: - Max = 7",
             "LFO 1: + No link"}},
        TCompareCase{"a parameter renamed is not a value changed",
                     {"Amp:", "Drive = 2"},
                     {"Amp:", "Gain = 2"},
                     {"Amp: - Drive = 2", "Amp: + Gain = 2"}},
        TCompareCase{"input and output are modules of their own",
                     {"[Input]:", "Level = 0", "Amp:", "Drive = 2", "Reverb:", "Mix = 3",
                      "[Output]:", "Level = -5"},
                     {"[Input]:", "Level = 0", "Amp:", "Drive = 2", "[Output]:", "Level = -2.5"},
                     {"- Reverb", "Output: Level: -5 -> -2.5"}},
        TCompareCase{"input and output apart where their parameters share a name",
                     {"[Input]:", "Level = 5", "[Output]:", "Level = 5"},
                     {"[Input]:", "Level = 6", "[Output]:", "Level = 6"},
                     {"Input: Level: 5 -> 6", "Output: Level: 5 -> 6"}},
        TCompareCase{"modules the configuration does not know: by kind and id",
                     {"[Input]:", "[?37]:", "Max = 1", "[Output]:"},
                     {"[Input]:", "[?37]:", "Max = 2", "[?38]:", "[Output]:"},
                     {"unknown component 37: Max: 1 -> 2", "+ unknown component 38"}},
        TCompareCase{"texts longer than a length byte and than a short entry",
                     {"Amp:", "Note = " + std::string(200, 'a')},
                     {"Amp:", "Note = " + std::string(300, 'b')},
                     {"Amp: Note: " + std::string(200, 'a') + " -> " + std::string(300, 'b')}}),
    TNameByWhat());

// Each change says which module by kind, position and id, whether only values
// changed or the chains differ; a module removed by its old place.
TEST(ComparePresetsTest, ChangesSayWhichModuleByKindPositionAndId) {
    using TRefs = std::vector<TModuleRef>;
    const TModuleRef amp{TModuleKind::Component, std::nullopt, 0};
    struct TCase {
        const char* What;
        Lines Old;
        Lines New;
        TRefs Where;
    };
    const std::vector<TCase> cases = {
        {"values only",
         {"[Input]:", "Level = 5", "Amp:", "[Output]:", "Level = 5"},
         {"[Input]:", "Level = 6", "Amp:", "[Output]:", "Level = 6"},
         {{TModuleKind::Input, 0, 1}, {TModuleKind::Output, 2, 2}}},
        {"a module added before",
         {"[Input]:", "[Output]:", "Level = 5"},
         {"[Input]:", "Amp:", "[Output]:", "Level = 6"},
         {amp, {TModuleKind::Output, 2, 2}}},
        {"a module removed",
         {"[Input]:", "[?300]:", "[Output]:", "Level = 5"},
         {"[Input]:", "[Output]:", "Level = 6"},
         {{TModuleKind::UnknownComponent, 1, 300}, {TModuleKind::Output, 1, 2}}},
    };
    for (const TCase& c : cases) {
        TRefs where;
        for (const TChange& change : ComparePresets(Record(c.Old), Record(c.New))) {
            where.push_back(change.Where);
        }
        EXPECT_EQ(where, c.Where) << c.What;
    }
}

TEST(PresetCollectorTest, UserModelNameReachesItsPresetAcrossTheNextHeading) {
    std::vector<TPresetRecord> records;
    TPresetCollector collector([&](TPresetRecord&& r) { records.push_back(std::move(r)); });
    TEvents collect(collector);
    collect.PresetHeading("QVR-3", 1, "One");
    collect.ChainStart();
    collect.ModuleStart("Green Amp", TNameSlot::GreenAmp);
    collect.Value("Drive", "2");
    collect.PresetHeading("QVR-3", std::nullopt, "Two");
    EXPECT_TRUE(records.empty()); // the name may still come
    collect.Line("x");
    collect.UserModelName(TNameSlot::GreenAmp, "Mine");
    collect.ChainStart();
    ASSERT_EQ(records.size(), 1u);
    collect.ReportEnd();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].Name, "Two");
    EXPECT_EQ(records[1].Number, std::nullopt);
    const std::vector<TRecordModule> modules = RecordModules(records[0]);
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].Lines,
              (std::vector<TRecordLine>{{"Name", "Mine", true}, {"Drive", "2", true}}));
    EXPECT_EQ(RecordModules(records[1]).at(0).Lines, (std::vector<TRecordLine>{{"x", "", false}}));
}

// Every text of the HTML comparison comes from the files, and every place
// escapes it: each case puts markup into one text and expects it escaped.
struct THtmlTextCase {
    std::string What;
    TPresetDiff Diff;
    std::string Model;
    std::vector<std::string> Empty;
};

void PrintTo(const THtmlTextCase& c, std::ostream* os) {
    *os << c.What;
}

class CompareHtmlTest : public testing::TestWithParam<THtmlTextCase> {};

TEST_P(CompareHtmlTest, EscapesTheFilesTexts) {
    const THtmlTextCase& c = GetParam();
    TStringTarget out;
    const std::unique_ptr<IComparisonWriter> writer =
        MakeComparisonWriter(TReportFormat::Html, out);
    writer->Begin(c.Model);
    writer->Preset(c.Diff);
    TCompareTotals totals;
    totals.Changed = 1;
    totals.Empty = c.Empty;
    writer->End(totals);
    EXPECT_NE(out.Text.find("&lt;i&gt;&amp;"), std::string::npos) << out.Text;
    EXPECT_EQ(out.Text.find("<i>"), std::string::npos) << out.Text;
}

TChange Changed(std::string module, std::string name, std::string old, std::string now) {
    return TChange{TChange::TKind::ValueChanged, std::move(module), std::move(name), std::move(old),
                   std::move(now)};
}

const TPresetLabel One{1, "P"};
const std::string Tagged = "<i>&";

INSTANTIATE_TEST_SUITE_P(
    Texts, CompareHtmlTest,
    testing::Values(
        THtmlTextCase{"model", {One, One, {}}, Tagged, {}},
        THtmlTextCase{"old name", {TPresetLabel{1, Tagged}, One, {}}, "QVR-3", {}},
        THtmlTextCase{"new name", {One, TPresetLabel{1, Tagged}, {}}, "QVR-3", {}},
        THtmlTextCase{"only one side", {std::nullopt, TPresetLabel{2, Tagged}, {}}, "QVR-3", {}},
        THtmlTextCase{"module", {One, One, {Changed(Tagged, "a", "1", "2")}}, "QVR-3", {}},
        THtmlTextCase{"parameter", {One, One, {Changed("M", Tagged, "1", "2")}}, "QVR-3", {}},
        THtmlTextCase{"old value", {One, One, {Changed("M", "a", Tagged, "2")}}, "QVR-3", {}},
        THtmlTextCase{"new value", {One, One, {Changed("M", "a", "1", Tagged)}}, "QVR-3", {}},
        THtmlTextCase{"empty file's name", {One, One, {}}, "QVR-3", {Tagged}}),
    TNameByWhat());

// A pair whose settings are the same says what differs instead of a table without rows;
// a pair with changes has its column headings.
TEST(CompareHtmlTest, APairWithoutChangedSettingsSaysWhatDiffers) {
    struct TCase {
        TPresetDiff Diff;
        std::string Shown;
    };
    const TCase cases[] = {
        {{One, TPresetLabel{1, "Q"}, {}}, ">The same settings; only the name changed.</td>"},
        {{One, TPresetLabel{4, "P"}, {}}, ">The same settings; only the number changed.</td>"},
        {{One, TPresetLabel{4, "Q"}, {}},
         ">The same settings; only the number and the name changed.</td>"},
        {{One, TPresetLabel{1, "Q"}, {Changed("M", "a", "1", "2")}}, "<b>Module</b>"},
    };
    for (const TCase& c : cases) {
        TStringTarget out;
        const std::unique_ptr<IComparisonWriter> writer =
            MakeComparisonWriter(TReportFormat::Html, out);
        writer->Begin("QVR-3");
        writer->Preset(c.Diff);
        writer->End(TCompareTotals{});
        EXPECT_NE(out.Text.find(c.Shown), std::string::npos) << out.Text;
        EXPECT_EQ(out.Text.find("<b>Module</b>") != std::string::npos, !c.Diff.Changes.empty())
            << out.Text;
    }
}

} // namespace
} // namespace qvr::test
