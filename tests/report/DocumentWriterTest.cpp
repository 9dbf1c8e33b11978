#include "report/DocumentWriter.h"

#include "ReportFixtures.h"
#include "report/PresetAssembler.h"
#include "report/RenderContext.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qvr::test {
namespace {

using Lines = std::vector<std::string>;

const std::string TS = TPresetAssembler::TableStart;
const std::string H1 = "<tr><th>one</th></tr>";
const std::string H2 = "<tr><th>two</th></tr>";
const std::string RowStart = "  <tr valign=\"top\">\n";
const std::string CellStart = "    <td class=\"preset\">\n";
const std::string CellEnd = "    </td>\n";
const std::string RowEnd = "  </tr>\n";
const std::string EmptyCell = "    <td class=\"preset\">&nbsp;</td>\n";
const std::string TableEnd = "</table>\n";

std::string Write(const Lines& lines, int32_t columns) {
    TReportLines list;
    for (const std::string& line : lines) {
        list.Append(line);
    }
    return WriteDocument(list, columns);
}

struct TLayoutCase {
    const char* What;
    int32_t Columns;
    Lines Input;
    std::string Document;
};

void PrintTo(const TLayoutCase& c, std::ostream* os) {
    *os << c.What;
}

class DocumentLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(DocumentLayoutTest, WritesTheTableExactly) {
    const TLayoutCase& c = GetParam();
    EXPECT_EQ(Write(c.Input, c.Columns), c.Document) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DocumentLayoutTest,
    testing::Values(
        TLayoutCase{"empty report", 4, {}, CellEnd + TableEnd},
        TLayoutCase{"one preset filling a row of two",
                    2,
                    {TS, RowEndMarker, H1, CellBreakMarker, "<b>Preset Name</b>", "AB",
                     CellBreakMarker, "Gain = 5"},
                    TS + "\n" + "  " + H1 + "\n" + RowStart + CellStart +
                        "      <b>Preset Name</b><br>\n" + "      AB<br>\n" + CellEnd + CellStart +
                        "      Gain = 5<br>\n" + CellEnd + RowEnd + TableEnd},
        TLayoutCase{
            "second preset after a row with one cell",
            2,
            {TS, RowEndMarker, H1, CellBreakMarker, "A", RowEndMarker, H2, CellBreakMarker, "B"},
            TS + "\n" + "  " + H1 + "\n" + RowStart + CellStart + "      A<br>\n" + EmptyCell +
                "  " + H2 + "\n" + CellEnd + RowEnd + RowStart + CellStart + "      B<br>\n" +
                CellEnd + EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"second preset after a full row",
                    2,
                    {TS, RowEndMarker, H1, CellBreakMarker, "A", CellBreakMarker, "C", RowEndMarker,
                     H2, CellBreakMarker, "B"},
                    TS + "\n" + "  " + H1 + "\n" + RowStart + CellStart + "      A<br>\n" +
                        CellEnd + CellStart + "      C<br>\n" + "  " + H2 + "\n" + CellEnd +
                        RowEnd + RowStart + CellStart + "      B<br>\n" + CellEnd + EmptyCell +
                        RowEnd + TableEnd},
        TLayoutCase{"one column: a row per cell",
                    1,
                    {CellBreakMarker, "A", CellBreakMarker, "B"},
                    RowStart + CellStart + "      A<br>\n" + CellEnd + RowEnd + RowStart +
                        CellStart + "      B<br>\n" + CellEnd + RowEnd + TableEnd},
        TLayoutCase{"four columns padded at the end",
                    4,
                    {CellBreakMarker, "A"},
                    RowStart + CellStart + "      A<br>\n" + CellEnd + EmptyCell + EmptyCell +
                        EmptyCell + RowEnd + TableEnd},
        TLayoutCase{"lines outside a row and headings get no break",
                    4,
                    {"before", CellBreakMarker, "<hr>", "x<h1>y", "<b>z</b>"},
                    "      before\n" + RowStart + CellStart + "      <hr>\n" + "      x<h1>y\n" +
                        "      <b>z</b><br>\n" + CellEnd + EmptyCell + EmptyCell + EmptyCell +
                        RowEnd + TableEnd},
        TLayoutCase{"table and row tests are substring tests, case-sensitive",
                    4,
                    {CellBreakMarker, "a<table b", "c<tr d", "<TR>", "<BR>"},
                    RowStart + CellStart + "a<table b\n" + "  c<tr d\n" + "      <TR><br>\n" +
                        "      <BR><br>\n" + CellEnd + EmptyCell + EmptyCell + EmptyCell + RowEnd +
                        TableEnd},
        TLayoutCase{"markers are whole lines",
                    4,
                    {" <br>", "&nbsp; "},
                    "       <br>\n" + std::string("      &nbsp; \n") + CellEnd + TableEnd}),
    TNameByWhat());

TEST(ReportLines, InsertsAboveAppendedLinesAndReadsAcrossTheSealedPart) {
    TReportLines lines;
    lines.Append("a");
    lines.Append("b");
    lines.Seal();
    lines.Append("c");
    lines.Append("e");
    lines.Insert(3, "d");
    lines.Insert(2, "b2");
    lines.Insert(lines.Count(), "f");
    ASSERT_EQ(lines.Count(), 7u);
    Lines all;
    for (size_t i = 0; i < lines.Count(); ++i) {
        all.emplace_back(lines.Line(i));
    }
    EXPECT_EQ(all, (Lines{"a", "b", "b2", "c", "d", "e", "f"}));
    EXPECT_THROW(lines.Insert(1, "x"), std::out_of_range);
    EXPECT_THROW(lines.Insert(8, "x"), std::out_of_range);
}

TEST(ReportLines, EmptyAndBinaryLinesSurviveSealing) {
    TReportLines lines;
    lines.Append("");
    lines.Append(std::string("x\0y", 3));
    lines.Append("");
    lines.Seal();
    EXPECT_EQ(lines.Line(0), "");
    EXPECT_EQ(lines.Line(1), std::string_view("x\0y", 3));
    EXPECT_EQ(lines.Line(2), "");
}

} // namespace
} // namespace qvr::test
