#include "report/HtmlSink.h"

#include "ReportFixtures.h"
#include "report/CsvSink.h"
#include "report/JsonSink.h"
#include "report/TextSink.h"

#include <gtest/gtest.h>

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
    std::function<void(IReportSink&)> Events; // ReportEnd follows
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
    c.Events(sink);
    sink.ReportEnd();
    EXPECT_EQ(out.Text, c.Document) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HtmlLayoutTest,
    testing::Values(
        TLayoutCase{"empty report", 4, [](IReportSink&) {}, CellEnd + TableEnd},
        TLayoutCase{"one preset filling a row of two", 2,
                    [](IReportSink& s) {
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
                    [](IReportSink& s) {
                        s.ReportStart("QVR-3");
                        s.PresetHeading("QVR-3", 1, "A");
                        s.PresetHeading("QVR-3", std::nullopt, "B");
                    },
                    TS + Heading(" #01", 2) + RowStart + CellStart + Named("A") + EmptyCell +
                        Heading("", 2) + CellEnd + RowEnd + RowStart + CellStart + Named("B") +
                        CellEnd + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"one column: a row per cell", 1,
                    [](IReportSink& s) {
                        s.ModuleStart("A", TNameSlot::None);
                        s.ModuleStart("B", TNameSlot::None);
                    },
                    RowStart + CellStart + "      <b>A</b><br>\n" + CellEnd + RowEnd + RowStart +
                        CellStart + "      <b>B</b><br>\n" + CellEnd + RowEnd + TableEnd},
        TLayoutCase{"lines outside a row and headings get no break", 4,
                    [](IReportSink& s) {
                        s.Line("before");
                        s.ModuleStart("<hr>", TNameSlot::None);
                        s.Value("x<h1>y", "1");
                        s.Line("z");
                    },
                    "      before\n" + RowStart + CellStart + "      <b><hr></b>\n" +
                        "      x<h1>y = 1\n" + "      z<br>\n" + CellEnd + EmptyCell + EmptyCell +
                        EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"configuration markup: table and row tests are case-sensitive", 4,
                    [](IReportSink& s) {
                        s.ModuleStart("M", TNameSlot::None);
                        s.Value("a", "<table b");
                        s.Value("c<tr", "d");
                        s.Line("<TR>");
                    },
                    RowStart + CellStart + "      <b>M</b><br>\n" + "a = <table b\n" +
                        "  c<tr = d\n" + "      <TR><br>\n" + CellEnd + EmptyCell + EmptyCell +
                        EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"a user-model name goes under its heading across a preset", 4,
                    [](IReportSink& s) {
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
                    [](IReportSink& s) {
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
                    [](IReportSink& s) {
                        s.ModuleStart("M", TNameSlot::None);
                        s.Value("A very long parameter name", "plain");
                        s.Value("Tone", "abcdefghijkl<h3>x</h3> 1234567");
                    },
                    RowStart + CellStart + "      <b>M</b><br>\n" +
                        "      A very long parameter name = plain<br>\n" +
                        "      Tone = abcdefghijkl<h3>x</h3> 1234567\n" + CellEnd + RowEnd +
                        TableEnd},
        TLayoutCase{"no name after the next chain started", 4,
                    [](IReportSink& s) {
                        s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
                        s.ChainStart();
                        s.UserModelName(TNameSlot::GreenAmp, "M");
                    },
                    RowStart + CellStart + "      <b>Green Amp</b><br>\n" + CellEnd + EmptyCell +
                        EmptyCell + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"count out of range: default from the first heading on, cells before too", 0,
                    [](IReportSink& s) {
                        s.ModuleStart("A", TNameSlot::None);
                        s.PresetHeading("QVR-3", 1, "P");
                    },
                    RowStart + CellStart + "      <b>A</b><br>\n" + EmptyCell + EmptyCell +
                        EmptyCell + Heading(" #01", 4) + CellEnd + RowEnd + RowStart + CellStart +
                        Named("P") + CellEnd + EmptyCell + EmptyCell + EmptyCell + RowEnd +
                        TableEnd},
        TLayoutCase{"count out of range and no heading: laid out as given", 2 + 5,
                    [](IReportSink& s) {
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
void FormatEvents(IReportSink& s) {
    s.ReportStart("QVR-3");
    s.PresetHeading("QVR-3", 1, "Caf\xE9, \"A\"");
    s.ChainStart();
    s.ModuleStart("Green Amp", TNameSlot::GreenAmp);
    s.Value("Gain", "5\x80");
    s.ModuleStart("Red Amp", TNameSlot::RedAmp);
    s.PresetHeading("QVR-3", std::nullopt, "B\\");
    s.Line("No link");
    s.UserModelName(TNameSlot::GreenAmp, "M\n1");
    s.UserModelName(TNameSlot::RedAmp, "R");
    s.ReportEnd();
}

struct TFormatCase {
    const char* What;
    std::function<std::unique_ptr<IReportSink>(IByteTarget&)> Make;
    std::string Document;
};

void PrintTo(const TFormatCase& c, std::ostream* os) {
    *os << c.What;
}

class FormatTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTest, WritesTheEventsExactly) {
    const TFormatCase& c = GetParam();
    TStringTarget out;
    FormatEvents(*c.Make(out));
    EXPECT_EQ(out.Text, c.Document) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(
        TFormatCase{"text", [](IByteTarget& t) { return std::make_unique<TTextSink>(t); },
                    "QVR-3 Preset #01  Caf\xC3\xA9, \"A\"\n"
                    "  Green Amp\n"
                    "    Name = M\n1\n"
                    "    Gain = 5\xE2\x82\xAC\n"
                    "  Red Amp\n"
                    "    Name = R\n"
                    "\n"
                    "QVR-3 Preset  B\\\n"
                    "    No link\n"},
        TFormatCase{"csv", [](IByteTarget& t) { return std::make_unique<TCsvSink>(t, "a,b.q3a"); },
                    "file,preset number,preset name,module,parameter,value\r\n"
                    "\"a,b.q3a\",1,\"Caf\xC3\xA9, \"\"A\"\"\",Green Amp,Name,\"M\n1\"\r\n"
                    "\"a,b.q3a\",1,\"Caf\xC3\xA9, \"\"A\"\"\",Green Amp,Gain,5\xE2\x82\xAC\r\n"
                    "\"a,b.q3a\",1,\"Caf\xC3\xA9, \"\"A\"\"\",Red Amp,Name,R\r\n"
                    "\"a,b.q3a\",,B\\,,No link,\r\n"},
        TFormatCase{"json", [](IByteTarget& t) { return std::make_unique<TJsonSink>(t); },
                    "{\n  \"model\": \"QVR-3\",\n  \"presets\": [\n"
                    "    {\n      \"number\": 1,\n      \"name\": \"Caf\xC3\xA9, \\\"A\\\"\",\n"
                    "      \"modules\": [\n"
                    "        {\n          \"heading\": \"Green Amp\",\n          \"lines\": [\n"
                    "            {\"name\": \"Name\", \"value\": \"M\\n1\"},\n"
                    "            {\"name\": \"Gain\", \"value\": \"5\xE2\x82\xAC\"}\n"
                    "          ]\n        },\n"
                    "        {\n          \"heading\": \"Red Amp\",\n          \"lines\": [\n"
                    "            {\"name\": \"Name\", \"value\": \"R\"}\n"
                    "          ]\n        }\n      ]\n    },\n"
                    "    {\n      \"number\": null,\n      \"name\": \"B\\\\\",\n"
                    "      \"modules\": [\n"
                    "        {\n          \"heading\": null,\n          \"lines\": [\n"
                    "            {\"text\": \"No link\"}\n"
                    "          ]\n        }\n      ]\n    }\n  ],\n"
                    "  \"messages\": []\n}\n"}),
    TNameByWhat());

} // namespace
} // namespace qvr::test
