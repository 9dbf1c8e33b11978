#include "report/PresetReport.h"

#include "ReportFixtures.h"
#include "report/DocumentWriter.h"
#include "report/ModifierRenderer.h"
#include "report/PresetAssembler.h"
#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qvr::test {
namespace {

using Lines = std::vector<std::string>;

const std::string EmptyDocument = "    </td>\n</table>\n";
const std::string TS = TPresetAssembler::TableStart;

std::string Heading(const std::string& number, int32_t columns = 4) {
    return "<tr><th class=\"preset\" colspan=\"" + std::to_string(columns) +
           "\" bgcolor=#EEEEEE align=\"center\">QVR-3 Preset" +
           (number.empty() ? "" : " #" + number) + "</th></tr>";
}

// The lines that open a preset, after the table start.
Lines PresetLines(const std::string& number, const std::string& name, int32_t columns = 4) {
    return {RowEndMarker, Heading(number, columns), CellBreakMarker, "<b>Preset Name</b>", name};
}

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::string Document(const Lines& lines, int32_t columns = 4) {
    TReportLines list;
    for (const std::string& line : lines) {
        list.Append(line);
    }
    return WriteDocument(list, columns);
}

// Component and modifier records of the test configuration.
const Bytes Amp = {1, 0, 0, 10, 2, 0, 5};     // Clean, Status = On ... (value 5)
const Bytes Cabinet = {2, 0, 0, 20, 2, 0, 1}; // Mic = Condenser
const Bytes Chorus = {3, 0, 0, 30, 2, 0, 4};  // Type = Classic, Rate = 0.4, Mix = 4
const Lines AmpLines = {CellBreakMarker, "<b>Green Amp</b>", "Status = On"};
const Lines RedAmpLines = {CellBreakMarker, "<b>Red Amp</b>", "Status = On"};
const Lines CabinetLines = {CellBreakMarker, "<b>Green Cabinet</b>", "Mic = Condenser"};
const Lines RedCabinetLines = {CellBreakMarker, "<b>Red Cabinet</b>", "Mic = Condenser"};
const Lines ChorusLines = {CellBreakMarker, "<b>Chorus</b>", "Type = Classic", "Rate = 0.4",
                           "Mix = 4"};

Msg Components(std::initializer_list<Bytes> records) {
    Bytes body = {0, 0, 0, static_cast<uint8_t>(records.size())};
    for (const Bytes& record : records) {
        body.insert(body.end(), record.begin(), record.end());
    }
    return Msg(0x24).Body(body);
}

// One modifier (LFO 1, speed 10) with one link.
Msg OneLink(uint8_t position, uint8_t paramByte) {
    return Msg(0x26).Body({0, 0, 0, 1, 2, 1, 10, 1, position, paramByte, 3, 1});
}

// A message whose id is 0x80 or above. Its checksum can only hold with a wire
// byte of the body that has bit 7 set too, so it is written by hand: a packing
// byte, the data byte 0x01, and the byte that makes the checksum come out.
Bytes HighIdMessage(uint8_t messageId) {
    const auto last = static_cast<uint8_t>(0x10 ^ DefaultProduct ^ messageId ^ 0x01);
    return {0xF0, 0x00, 0x00, 0x10, 0x00, DefaultProduct, messageId, 0x00, 0x01, last, 0xF7};
}

Msg UserModel(uint8_t componentId, std::string_view name) {
    return Msg(0x2A).Body(Join({{0, 0, 0, componentId, 0, 0, 0}, CString(name), {0, 2, 9, 9}}));
}

class PresetReportTest : public testing::Test {
protected:
    PresetReportTest() { Dir.Write("QVR3.cfg", TestConfigText); }

    std::string Build(const SysExFile& file, char separator = '.') {
        TempFile preset(file.Str());
        return Report.Build(preset.Path(), separator);
    }

    TTempDir Dir;
    TRecordingNotifier Notifier;
    TPresetReport Report{Notifier, TConfigSearch{Dir.Folder(), Dir.Folder()}};
};

TEST_F(PresetReportTest, EmptyOrUnopenableFileGivesTheEmptyDocument) {
    EXPECT_EQ(Build(SysExFile()), EmptyDocument);
    EXPECT_EQ(Report.Build(Dir.Folder() + "missing.q3p", '.'), EmptyDocument);
    EXPECT_EQ(Report.Build("", '.'), EmptyDocument);
    EXPECT_EQ(Report.Build(Dir.Folder(), '.'), EmptyDocument); // a folder
    EXPECT_TRUE(Notifier.Messages.empty());
}

struct TFailureCase {
    const char* What;
    SysExFile File;
    std::string Message;
    Lines Gathered; // the lines read before the failure
};

void PrintTo(const TFailureCase& c, std::ostream* os) {
    *os << c.What;
}

class ReadFailureTest : public PresetReportTest,
                        public testing::WithParamInterface<TFailureCase> {};

TEST_P(ReadFailureTest, ShowsTheFailureAndKeepsWhatWasGathered) {
    const TFailureCase& c = GetParam();
    const std::string document = Build(c.File);
    EXPECT_EQ(Notifier.Messages, Lines{c.Message}) << c.What;
    EXPECT_EQ(document, c.Gathered.empty() ? EmptyDocument : Document(c.Gathered)) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReadFailureTest,
    testing::Values(
        TFailureCase{"first byte not F0",
                     SysExFile().Raw({0x00, 0xF0}),
                     "error: Invalid system exclusive format",
                     {}},
        TFailureCase{"stray byte between messages",
                     SysExFile().Add(PresetHeader(0, "A")).Raw({0x33}).Add(PresetHeader(1, "B")),
                     "error: Invalid system exclusive format",
                     Concat({{TS}, PresetLines("01", "A")})},
        TFailureCase{"another manufacturer",
                     SysExFile{Msg(0x21).Manufacturer(0x43 << 16)},
                     "error: Not a Korvane format",
                     {}},
        TFailureCase{"first body fails its checksum",
                     SysExFile{PresetHeader(0, "A").BadChecksum()},
                     "error: Bad checksum",
                     {TS}},
        TFailureCase{"third message fails its checksum",
                     SysExFile{PresetHeader(0, "A"), Msg(0x0B).Body({1}),
                               Msg(0x0C).Body({1}).BadChecksum(), PresetHeader(1, "B")},
                     "error: Bad checksum",
                     Concat({{TS}, PresetLines("01", "A"), {"*** UNKNOWN datum 0B ***"}})},
        TFailureCase{"another product later in the file",
                     SysExFile{PresetHeader(0, "A"), Msg(0x21).Product(87).Body({0, 0, 1})},
                     "error: Inconsistent product Id's in file",
                     Concat({{TS}, PresetLines("01", "A")})},
        TFailureCase{"unsupported product",
                     SysExFile{PresetHeader(0, "A").Product(89)},
                     "error: Korvane Product Id 89 is not supported",
                     {}},
        TFailureCase{"file ends inside a header",
                     SysExFile().Raw({0xF0, 0x00, 0x00}),
                     "error: Invalid system exclusive format",
                     {}}),
    TNameByWhat());

TEST_F(PresetReportTest, MissingConfigurationEndsReadingWithItsMessage) {
    TTempDir empty;
    TPresetReport report(Notifier, TConfigSearch{empty.Folder(), empty.Folder()});
    TempFile preset(SysExFile{PresetHeader(0, "A")}.Str());
    EXPECT_EQ(report.Build(preset.Path(), '.'), EmptyDocument);
    EXPECT_EQ(Notifier.Messages,
              Lines{"error: Unable to access product configuration file, " + empty.Folder() +
                    "QVR3.cfg.\nYou may need to install Korvane's Kelvaro program."});
}

TEST_F(PresetReportTest, HeadingNumbersAndColumnCount) {
    const std::string document =
        Build(SysExFile{PresetHeader(4, "A"), PresetHeader(99, "B"), PresetHeader(253, "C"),
                        PresetHeader(254, "D"), PresetHeader(255, "E")});
    EXPECT_EQ(document, Document(Concat({{TS},
                                         PresetLines("05", "A"),
                                         PresetLines("100", "B"),
                                         PresetLines("254", "C"),
                                         PresetLines("", "D"),
                                         PresetLines("", "E")})));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, HeaderThatEndsBeforeItsIndexIsNumberedZero) {
    // The stored body is one byte and the checksum byte: the index reads -1.
    EXPECT_EQ(Build(SysExFile{Msg(0x21).Body({0})}),
              Document(Concat({{TS}, PresetLines("00", "")})));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, ColumnCountOutOfRangeBecomesTheDefaultAtAPresetHeader) {
    for (const int32_t columns : {0, 7, -3}) {
        Report.ColumnCount = columns;
        const std::string document = Build(SysExFile{PresetHeader(0, "A")});
        EXPECT_EQ(Report.ColumnCount, 4);
        EXPECT_EQ(document, Document(Concat({{TS}, PresetLines("01", "A")}), 4));
    }
    Report.ColumnCount = 2;
    EXPECT_EQ(Build(SysExFile{PresetHeader(0, "A")}),
              Document(Concat({{TS}, PresetLines("01", "A", 2)}), 2));
}

TEST_F(PresetReportTest, MessagesWithoutLinesAndUnknownIds) {
    SysExFile file{PresetHeader(0, ""),
                   Msg(0x0A).Body({0, 2, 0, 2, 0x10, 0x83, 1, 2, 3, 0, 0}),
                   Msg(0x0F).Body({1, 2, 3, 4, 5, 6, 7}),
                   Msg(0x10).Body({1}),
                   Msg(0x22).Body({1}),
                   Msg(0x28).Body({0, 0, 0, 1, 0, 0, 2, 0, 1, 1, 2, 2}),
                   Msg(0x0B).Body({1}),
                   Msg(0x0C).RawBody({})};
    file.Raw(HighIdMessage(0x80)).Raw(HighIdMessage(0xFF));
    const std::string document = Build(file);
    EXPECT_EQ(document,
              Document(Concat({{TS},
                               PresetLines("01", ""),
                               {"*** UNKNOWN datum 0B ***", "*** UNKNOWN datum FFFFFF80 ***",
                                "*** UNKNOWN datum FFFFFFFF ***"}})));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, ComponentsModifiersAndTheUserDecimalSeparator) {
    const std::string document =
        Build(SysExFile{PresetHeader(0, "A"), Components({Amp, Chorus}), OneLink(1, 1)}, ',');
    EXPECT_EQ(document,
              Document(Concat(
                  {{TS},
                   PresetLines("01", "A"),
                   AmpLines,
                   {CellBreakMarker, "<b>Chorus</b>", "Type = Classic", "Rate = 0,4", "Mix = 4"},
                   {CellBreakMarker, "<b>LFO 1</b>", "Speed = 1", "Linked param = Chorus Rate",
                    "Max = 0,3", "Min = 0,1"}})));
}

// Each preset's links name the modules of its own chain.
TEST_F(PresetReportTest, LinksOfALaterPresetNameItsOwnModules) {
    const std::string document =
        Build(SysExFile{PresetHeader(0, "A"), Components({Chorus, Amp}), OneLink(0, 1),
                        PresetHeader(1, "B"), Components({Amp, Chorus}), OneLink(0, 2)});
    const Lines linkA = {CellBreakMarker, "<b>LFO 1</b>", "Speed = 1", "Linked param = Chorus Rate",
                         "Max = 0.3",     "Min = 0.1"};
    const Lines linkB = {CellBreakMarker, "<b>LFO 1</b>", "Speed = 1", "Linked param = Green Gain",
                         "Max = 3",       "Min = 1"};
    EXPECT_EQ(document, Document(Concat({{TS},
                                         PresetLines("01", "A"),
                                         ChorusLines,
                                         AmpLines,
                                         linkA,
                                         PresetLines("02", "B"),
                                         AmpLines,
                                         ChorusLines,
                                         linkB})));
}

// The lines of one preset with all four channel modules, names under their headings.
Lines NamedChain(const std::string& greenAmp, const std::string& greenCab,
                 const std::string& redAmp, const std::string& redCab) {
    auto named = [](Lines lines, const std::string& name) {
        if (!name.empty()) {
            lines.insert(lines.begin() + 2, "Name = " + name);
        }
        return lines;
    };
    return Concat({named(AmpLines, greenAmp), named(CabinetLines, greenCab),
                   named(RedAmpLines, redAmp), named(RedCabinetLines, redCab)});
}

struct TNameCase {
    const char* What;
    std::vector<std::pair<uint8_t, std::string>> Models; // component id, name, in file order
    Lines Names; // the names under green amp, green cab, red amp, red cab
};

void PrintTo(const TNameCase& c, std::ostream* os) {
    *os << c.What;
}

class UserModelNameTest : public PresetReportTest, public testing::WithParamInterface<TNameCase> {};

TEST_P(UserModelNameTest, NamesGoUnderTheirOwnHeadings) {
    const TNameCase& c = GetParam();
    SysExFile file{PresetHeader(0, "A"), Components({Amp, Cabinet, Amp, Cabinet})};
    for (const auto& [id, name] : c.Models) {
        file.Add(UserModel(id, name));
    }
    EXPECT_EQ(Build(file),
              Document(Concat({{TS},
                               PresetLines("01", "A"),
                               NamedChain(c.Names[0], c.Names[1], c.Names[2], c.Names[3])})))
        << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Orders, UserModelNameTest,
    testing::Values(TNameCase{"usual order",
                              {{1, "G"}, {2, "GC"}, {1, "R"}, {2, "RC"}},
                              {"G", "GC", "R", "RC"}},
                    TNameCase{"cabinets first",
                              {{2, "GC"}, {2, "RC"}, {1, "G"}, {1, "R"}},
                              {"G", "GC", "R", "RC"}},
                    TNameCase{"amps never named", {{2, "GC"}, {2, "RC"}}, {"", "GC", "", "RC"}},
                    TNameCase{"only the red cabinet left",
                              {{2, "GC"}, {1, "G"}, {1, "R"}, {2, "RC"}},
                              {"G", "GC", "R", "RC"}},
                    TNameCase{"more names than slots",
                              {{1, "G"}, {1, "R"}, {1, "X"}, {0, "Z"}, {7, "Y"}},
                              {"G", "", "R", ""}},
                    TNameCase{"escaped",
                              {{1, "<Hot & \"Loud\">"}},
                              {"&lt;Hot &amp; &quot;Loud&quot;&gt;", "", "", ""}}),
    TNameByWhat());

TEST_F(PresetReportTest, NameSlotsEndWithTheirPresetsComponents) {
    // The first preset's amp is never named; the name that follows the second
    // preset's components has no amp there to go to.
    const std::string document =
        Build(SysExFile{PresetHeader(0, "A"), Components({Amp}), PresetHeader(1, "B"),
                        Components({Chorus}), UserModel(1, "late"), UserModel(0, "zero")});
    EXPECT_EQ(document,
              Document(Concat(
                  {{TS}, PresetLines("01", "A"), AmpLines, PresetLines("02", "B"), ChorusLines})));
}

TEST_F(PresetReportTest, NameAfterTheNextPresetHeaderStillFindsItsAmp) {
    const std::string document = Build(SysExFile{PresetHeader(0, "A"), Components({Amp}),
                                                 PresetHeader(1, "B"), UserModel(1, "M")});
    EXPECT_EQ(document,
              Document(Concat({{TS},
                               PresetLines("01", "A"),
                               {CellBreakMarker, "<b>Green Amp</b>", "Name = M", "Status = On"},
                               PresetLines("02", "B")})));
}

TEST_F(PresetReportTest, PresetNamesAreEscapedAndKeptWhole) {
    const std::string longName(300, 'n');
    const std::string document =
        Build(SysExFile{PresetHeader(0, "<br>"), PresetHeader(1, "&nbsp;"),
                        PresetHeader(2, longName), PresetHeader(3, "A\"B")});
    EXPECT_EQ(document, Document(Concat({{TS},
                                         PresetLines("01", "&lt;br&gt;"),
                                         PresetLines("02", "&amp;nbsp;"),
                                         PresetLines("03", longName),
                                         PresetLines("04", "A&quot;B")})));
}

TEST_F(PresetReportTest, NameWithoutTerminatorRunsToTheEndOfTheBody) {
    // The body ends with its checksum byte, which then belongs to the name.
    const Msg header = Msg(0x21).Body(Join({{0, 0, 3}, ToBytes("AB")}));
    const Bytes wire = header.Wire();
    const char checksum = static_cast<char>(wire[wire.size() - 2]);
    EXPECT_EQ(Build(SysExFile{header}),
              Document(Concat({{TS}, PresetLines("04", std::string("AB") + checksum)})));
}

TEST_F(PresetReportTest, LargeBackupIsBuiltInLinearTime) {
    // 20,000 presets with every kind of message; inserting names must not
    // shift the whole report each time.
    SysExFile file;
    for (int i = 0; i < 20000; ++i) {
        file.Add(PresetHeader(static_cast<uint8_t>(i % 250), "Preset"))
            .Add(Components({Amp, Cabinet, Chorus, Amp, Cabinet}))
            .Add(OneLink(2, 1))
            .Add(UserModel(1, "G"))
            .Add(UserModel(2, "C"))
            .Add(UserModel(1, "R"));
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string document = Build(file);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0); // a quadratic build takes hours
    size_t names = 0;
    for (size_t at = document.find("Name = "); at != std::string::npos;
         at = document.find("Name = ", at + 1)) {
        ++names;
    }
    EXPECT_EQ(names, 60000u);
    EXPECT_TRUE(Notifier.Messages.empty());
}

} // namespace
} // namespace qvr::test
