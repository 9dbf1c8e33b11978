#include "report/HtmlSink.h"

#include "ReportFixtures.h"
#include "report/CsvSink.h"
#include "report/JsonSink.h"
#include "report/PresetRange.h"
#include "report/TextSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace qvr::test {
namespace {

const std::string TS = std::string(THtmlSink::TableStart) + "\n";
const std::string RowStart = "  <tr valign=\"top\">\n";
const std::string CellStart = "    <td class=\"preset\">\n";
const std::string CellEnd = "    </td>\n";
const std::string RowEnd = "  </tr>\n";
const std::string EmptyCell = "    <td class=\"preset\">&nbsp;</td>\n";
const std::string TableEnd = "</table>\n";

std::string Heading(const std::string& number, int32_t columns) {
    return "  <tr><th class=\"preset\" colspan=\"" + std::to_string(columns) +
           "\" bgcolor=#EEEEEE align=\"center\">QVR-3 Preset" + number + "</th></tr>\n";
}

std::string Named(const std::string& name) {
    return "      <b>Preset Name</b><br>\n      " + name + "<br>\n";
}

struct TLayoutCase {
    const char* What;
    int32_t Columns;
    std::function<void(TEvents&)> Events; // ReportEnd follows
    std::string Document;
};

void PrintTo(const TLayoutCase& c, std::ostream* os) {
    *os << c.What;
}

class HtmlLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(HtmlLayoutTest, WritesTheTableExactly) {
    const TLayoutCase& c = GetParam();
    TStringTarget out;
    THtmlSink sink(out, c.Columns);
    TEvents events(sink);
    c.Events(events);
    events.ReportEnd();
    EXPECT_EQ(out.Text, c.Document) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HtmlLayoutTest,
    testing::Values(
        TLayoutCase{"empty report", 4, [](TEvents&) {}, CellEnd + TableEnd},
        TLayoutCase{"one preset filling a row of two", 2,
                    [](TEvents& s) {
                        s.ReportStart("QVR-3");
                        s.PresetHeading("QVR-3", 0, "A<&\">B");
                        s.ChainStart();
                        s.ModuleStart("Amp", TNameSlot::None);
                        s.Value("Gain", "5");
                    },
                    TS + Heading(" #00", 2) + RowStart + CellStart +
                        Named("A&lt;&amp;&quot;&gt;B") + CellEnd + CellStart +
                        "      <b>Amp</b><br>\n      Gain = 5<br>\n" + CellEnd + RowEnd + TableEnd},
        TLayoutCase{"second preset after a row with one cell", 2,
                    [](TEvents& s) {
                        s.ReportStart("QVR-3");
                        s.PresetHeading("QVR-3", 1, "A");
                        s.PresetHeading("QVR-3", std::nullopt, "B");
                    },
                    TS + Heading(" #01", 2) + RowStart + CellStart + Named("A") + EmptyCell +
                        Heading("", 2) + CellEnd + RowEnd + RowStart + CellStart + Named("B") +
                        CellEnd + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"one column: a row per cell", 1,
                    [](TEvents& s) {
                        s.ModuleStart("A", TNameSlot::None);
                        s.ModuleStart("B", TNameSlot::None);
                    },
                    RowStart + CellStart + "      <b>A</b><br>\n" + CellEnd + RowEnd + RowStart +
                        CellStart + "      <b>B</b><br>\n" + CellEnd + RowEnd + TableEnd},
        TLayoutCase{"lines outside a row and headings get no break", 4,
                    [](TEvents& s) {
                        s.Line("before");
                        s.ModuleStart("<hr>", TNameSlot::None);
                        s.Value("x<h1>y", "1");
                        s.Line("z");
                    },
                    "      before\n" + RowStart + CellStart + "      <b><hr></b>\n" +
                        "      x<h1>y = 1\n" + "      z<br>\n" + CellEnd + EmptyCell + EmptyCell +
                        EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"configuration markup: table and row tests are case-sensitive", 4,
                    [](TEvents& s) {
                        s.ModuleStart("M", TNameSlot::None);
                        s.Value("a", "<table b");
                        s.Value("c<tr", "d");
                        s.Line("<TR>");
                    },
                    RowStart + CellStart + "      <b>M</b><br>\n" + "a = <table b\n" +
                        "  c<tr = d\n" + "      <TR><br>\n" + CellEnd + EmptyCell + EmptyCell +
                        EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"a user-model name goes under its heading across a preset", 4,
                    [](TEvents& s) {
                        s.PresetHeading("QVR-3", 1, "A");
                        s.ChainStart();
                        s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
                        s.Value("Gain", "5");
                        s.PresetHeading("QVR-3", 2, "B");
                        s.UserModelName(TNameSlot::GreenAmp, "M&M");
                        s.UserModelName(TNameSlot::GreenAmp, "again");
                        s.UserModelName(TNameSlot::RedAmp, "none");
                    },
                    Heading(" #01", 4) + RowStart + CellStart + Named("A") + CellEnd + CellStart +
                        "      <b>Green Amp</b><br>\n      Name = M&amp;M<br>\n" +
                        "      Gain = 5<br>\n" + EmptyCell + EmptyCell + Heading(" #02", 4) +
                        CellEnd + RowEnd + RowStart + CellStart + Named("B") + CellEnd + EmptyCell +
                        EmptyCell + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"names in the order opposite to their modules", 1,
                    [](TEvents& s) {
                        s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
                        s.ModuleStart("Red Amp", TNameSlot::RedAmp);
                        s.UserModelName(TNameSlot::RedAmp, "R");
                        s.UserModelName(TNameSlot::GreenAmp, "G");
                    },
                    RowStart + CellStart + "      <b>Green Amp</b><br>\n      Name = G<br>\n" +
                        CellEnd + RowEnd + RowStart + CellStart +
                        "      <b>Red Amp</b><br>\n      Name = R<br>\n" + CellEnd + RowEnd +
                        TableEnd},
        TLayoutCase{"markup found in the middle of a long text, none in another", 1,
                    [](TEvents& s) {
                        s.ModuleStart("M", TNameSlot::None);
                        s.Value("A very long parameter name", "plain");
                        s.Value("Tone", "abcdefghijkl<h3>x</h3> 1234567");
                    },
                    RowStart + CellStart + "      <b>M</b><br>\n" +
                        "      A very long parameter name = plain<br>\n" +
                        "      Tone = abcdefghijkl<h3>x</h3> 1234567\n" + CellEnd + RowEnd +
                        TableEnd},
        TLayoutCase{"no name after the next chain started", 4,
                    [](TEvents& s) {
                        s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
                        s.ChainStart();
                        s.UserModelName(TNameSlot::GreenAmp, "M");
                    },
                    RowStart + CellStart + "      <b>Green Amp</b><br>\n" + CellEnd + EmptyCell +
                        EmptyCell + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"count out of range: default from the first heading on, cells before too", 0,
                    [](TEvents& s) {
                        s.ModuleStart("A", TNameSlot::None);
                        s.PresetHeading("QVR-3", 1, "P");
                    },
                    RowStart + CellStart + "      <b>A</b><br>\n" + EmptyCell + EmptyCell +
                        EmptyCell + Heading(" #01", 4) + CellEnd + RowEnd + RowStart + CellStart +
                        Named("P") + CellEnd + EmptyCell + EmptyCell + EmptyCell + RowEnd +
                        TableEnd},
        TLayoutCase{"count out of range and no heading: laid out as given", 2 + 5,
                    [](TEvents& s) {
                        s.ModuleStart("A", TNameSlot::None);
                        s.ModuleStart("B", TNameSlot::None);
                    },
                    RowStart + CellStart + "      <b>A</b><br>\n" + CellEnd + CellStart +
                        "      <b>B</b><br>\n" + CellEnd + EmptyCell + EmptyCell + EmptyCell +
                        EmptyCell + EmptyCell + RowEnd + TableEnd}),
    TNameByWhat());

// The same events in the other formats: texts from windows-1252 to UTF-8
// (0x80 is the euro sign, 0xE9 an e with acute), quoted and escaped as each
// format needs, and the user-model name under its heading across a preset.
void FormatEvents(TEvents& s) {
    s.ReportStart("QVR-3");
    s.PresetHeading("QVR-3", 1, "Caf\xE9, \"A\"");
    s.ChainStart();
    s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
    s.Value("Gain", "5\x80");
    s.ModuleStart("Red Amp", TNameSlot::RedAmp);
    s.PresetHeading("QVR-3", std::nullopt, "B\\");
    s.Line("No link");
    s.UserModelName(TNameSlot::GreenAmp, "M\n1");
    s.UserModelName(TNameSlot::RedAmp, "R\r");
    s.ReportEnd();
}

struct TFormatCase {
    const char* What;
    std::function<std::unique_ptr<IPresetSink>(IByteTarget&)> Make;
    std::string Document;
};

void PrintTo(const TFormatCase& c, std::ostream* os) {
    *os << c.What;
}

class FormatTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTest, WritesTheEventsExactly) {
    const TFormatCase& c = GetParam();
    TStringTarget out;
    const std::unique_ptr<IPresetSink> sink = c.Make(out);
    TEvents events(*sink);
    FormatEvents(events);
    EXPECT_EQ(out.Text, c.Document) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(
        TFormatCase{"text", [](IByteTarget& t) { return std::make_unique<TTextSink>(t); },
                    "QVR-3 Preset #01  Caf\xC3\xA9, \"A\"\n"
                    "  Green Amp\n"
                    "    Name = M\\x0a1\n" // a line feed in a name is shown, not written
                    "    Gain = 5\xE2\x82\xAC\n"
                    "  Red Amp\n"
                    "    Name = R\\x0d\n"
                    "\n"
                    "QVR-3 Preset  B\\\n"
                    "    No link\n"},
        TFormatCase{"csv", [](IByteTarget& t) { return std::make_unique<TCsvSink>(t, "a,b.q3a"); },
                    "file,preset number,preset name,module position,module kind,module heading,"
                    "module name,parameter,raw,value,text\r\n"
                    "\"a,b.q3a\",1,\"Caf\xC3\xA9, \"\"A\"\"\",,component,Green Amp,\"M\n1\",Gain,0,"
                    "5\xE2\x82\xAC,5\xE2\x82\xAC\r\n"
                    "\"a,b.q3a\",1,\"Caf\xC3\xA9, \"\"A\"\"\",,component,Red Amp,\"R\r\",,,,\r\n"
                    "\"a,b.q3a\",,B\\,,loose,,,,,,\r\n"},
        TFormatCase{
            "json",
            [](IByteTarget& t) {
                return std::make_unique<TJsonSink>(
                    t, TDocumentSource{"caf\xC3\xA9\xFF.q3a", "qvrreport", "9.8.7"});
            },
            "{\n  \"format\": \"qvr-presets\",\n  \"version\": 2,\n"
            "  \"tool\": {\"name\": \"qvrreport\", \"version\": \"9.8.7\"},\n"
            "  \"file\": \"caf\xC3\xA9\\\\xff.q3a\",\n  \"model\": \"QVR-3\",\n  \"presets\": [\n"
            "    {\n      \"number\": 1,\n      \"name\": \"Caf\xC3\xA9, \\\"A\\\"\",\n"
            "      \"header\": true,\n      \"modules\": [\n"
            "        {\n"
            "          \"position\": null, \"kind\": \"component\", \"id\": 0, \"name\": null,\n"
            "          \"type_id\": null, \"type_name\": null,\n"
            "          \"heading\": \"Green Amp\", \"user_model_name\": \"M\\n1\",\n"
            "          \"parameters\": [\n"
            "            {\"name\": \"Gain\", \"raw\": 0, \"value\": \"5\xE2\x82\xAC\", "
            "\"text\": \"5\xE2\x82\xAC\"}\n"
            "          ],\n          \"links\": [],\n          \"notes\": []\n        },\n"
            "        {\n"
            "          \"position\": null, \"kind\": \"component\", \"id\": 0, \"name\": null,\n"
            "          \"type_id\": null, \"type_name\": null,\n"
            "          \"heading\": \"Red Amp\", \"user_model_name\": \"R\\u000d\",\n"
            "          \"parameters\": [],\n          \"links\": [],\n          \"notes\": []\n"
            "        }\n      ]\n    },\n"
            "    {\n      \"number\": null,\n      \"name\": \"B\\\\\",\n"
            "      \"header\": true,\n      \"modules\": [\n"
            "        {\n"
            "          \"position\": null, \"kind\": \"loose\", \"id\": 0, \"name\": null,\n"
            "          \"type_id\": null, \"type_name\": null,\n"
            "          \"heading\": null, \"user_model_name\": null,\n"
            "          \"parameters\": [],\n          \"links\": [],\n"
            "          \"notes\": [\n            {\"text\": \"No link\", \"after_links\": 0}\n"
            "          ]\n        }\n      ]\n    }\n  ],\n"
            "  \"messages\": []\n}\n"}),
    TNameByWhat());

// Each CSV row repeats the preset's name: a long name in a preset of many
// parameters must reach the target row by row, not as one piece per preset.
TEST(CsvSink, HandsOnLongRowsAsTheyFillABlock) {
    struct TLargestPiece : IByteTarget {
        void Put(std::string_view bytes) override { Largest = std::max(Largest, bytes.size()); }
        size_t Largest = 0;
    } out;
    TCsvSink sink(out, "long.q3a");
    TEvents s(sink);
    const std::string name(100'000, 'n');
    s.ReportStart("QVR-3");
    s.PresetHeading("QVR-3", 1, name);
    s.ChainStart();
    s.ModuleStart("Green Amp");
    for (int i = 0; i < 40; ++i) {
        s.Value("Gain", "5");
    }
    s.ReportEnd();
    EXPECT_LT(out.Largest, 1'000'000U) << "40 rows of 100 kB went on in one piece";
}

// A part of a report is the report its presets would make alone: loose modules go with the part
// that starts at the file's first preset, and no preset of another part shows.
TEST(PresetRangeSink, WritesThePartAsTheReportOfItsPresetsAlone) {
    const auto file = [](TEvents& s, bool loose, std::initializer_list<const char*> names) {
        s.ReportStart("QVR-3");
        if (loose) {
            s.ModuleStart("Loose");
        }
        int32_t number = 1;
        for (const char* name : names) {
            s.PresetHeading("QVR-3", number++, name);
            s.ChainStart();
            s.ModuleStart("Amp");
            s.Value("Gain", name);
        }
        s.ReportEnd();
    };
    const auto alone = [&](bool loose, int32_t first, std::initializer_list<const char*> names) {
        TStringTarget out;
        THtmlSink sink(out, 2);
        TEvents s(sink);
        s.ReportStart("QVR-3");
        if (loose) {
            s.ModuleStart("Loose");
        }
        int32_t number = first;
        for (const char* name : names) {
            s.PresetHeading("QVR-3", number++, name);
            s.ChainStart();
            s.ModuleStart("Amp");
            s.Value("Gain", name);
        }
        s.ReportEnd();
        return out.Text;
    };
    struct TCase {
        TPresetRange Range;
        std::string Document;
    };
    const TCase cases[] = {
        {{0, 1}, alone(true, 1, {"A"})},
        {{1, 3}, alone(false, 2, {"B", "C"})},
        {{3, 4}, alone(false, 4, {"D"})},
        {{4, 9}, alone(false, 5, {})},
    };
    for (const TCase& c : cases) {
        TStringTarget out;
        THtmlSink html(out, 2);
        TPresetRangeSink part(html, c.Range);
        TEvents s(part);
        file(s, true, {"A", "B", "C", "D"});
        EXPECT_EQ(out.Text, c.Document) << c.Range.First << " to " << c.Range.End;
    }
}

// Parts of nearly equal preset counts, as many as the size asks for, none empty.
TEST(PresetRange, SplitsOnlyAReportOverThePartSize) {
    struct TCase {
        int32_t Presets;
        size_t Bytes;
        size_t PartBytes;
        std::vector<TPresetRange> Parts;
    };
    const TCase cases[] = {
        {255, 1'000'000, 8'000'000, {{0, 255}}},
        {10, 100, 100, {{0, 10}}},
        {10, 101, 100, {{0, 5}, {5, 10}}},
        {10, 300, 100, {{0, 4}, {4, 7}, {7, 10}}},
        {2, 1000, 100, {{0, 1}, {1, 2}}},
        {1, 1000, 100, {{0, 1}}},
        {0, 1000, 100, {{0, 0}}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(SplitIntoParts(c.Presets, c.Bytes, c.PartBytes), c.Parts)
            << c.Presets << " presets, " << c.Bytes << " bytes";
    }
    const std::vector<TPresetRange> parts{{0, 4}, {4, 7}, {7, 10}};
    EXPECT_EQ(PartOf(parts, 0), 0);
    EXPECT_EQ(PartOf(parts, 4), 1);
    EXPECT_EQ(PartOf(parts, 9), 2);
    EXPECT_EQ(PartOf(parts, 10), -1);
}

} // namespace
} // namespace qvr::test
