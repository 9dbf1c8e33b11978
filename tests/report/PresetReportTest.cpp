#include "report/PresetReport.h"

#include "ReportFixtures.h"
#include "report/DumpCheck.h"
#include "report/PresetRange.h"
#include "report/SummarySink.h"
#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <sstream>

namespace qvr::test {
namespace {

using Lines = std::vector<std::string>;

const Lines NothingRead = {"end"};
const std::string Start = "start QVR-3";

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Component and modifier records of the test configuration.
const Bytes Amp = {1, 0, 0, 10, 2, 0, 5};     // Clean, Status = On ... (value 5)
const Bytes Cabinet = {2, 0, 0, 20, 2, 0, 1}; // Mic = Condenser
const Bytes Chorus = {3, 0, 0, 30, 2, 0, 4};  // Type = Classic, Rate = 0.4, Mix = 4
const Lines AmpLines = {"<br>", "<b>Green Amp</b>", "Status = On"};
const Lines RedAmpLines = {"<br>", "<b>Red Amp</b>", "Status = On"};
const Lines CabinetLines = {"<br>", "<b>Green Cabinet</b>", "Mic = Condenser"};
const Lines RedCabinetLines = {"<br>", "<b>Red Cabinet</b>", "Mic = Condenser"};
const Lines ChorusLines = {"<br>", "<b>Chorus</b>", "Type = Classic", "Rate = 0.4", "Mix = 4"};

// A channel module's lines with its user-model name under the heading.
Lines Named(Lines module, const std::string& name) {
    if (!name.empty()) {
        module.insert(module.begin() + 2, "Name = " + name);
    }
    return module;
}

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

    // The events of the file's report, one per line (TTraceSink).
    Lines Trace(const std::string& path, char separator = '.') {
        TTraceSink trace;
        Report.Emit(path, trace, separator);
        return trace.Lines;
    }
    Lines Trace(const SysExFile& file, char separator = '.') {
        TempFile preset(file.Str());
        return Trace(preset.Path(), separator);
    }

    TTempFolder Dir;
    TRecordingNotifier Notifier;
    TPresetReport Report{Notifier, TConfigSearch{Dir.Folder(), Dir.Folder()}};
};

TEST_F(PresetReportTest, EmptyOrUnopenableFileReportsNothing) {
    EXPECT_EQ(Trace(SysExFile()), NothingRead);
    EXPECT_EQ(Trace(Dir.Folder() + "missing.q3p"), NothingRead);
    EXPECT_EQ(Trace(std::string()), NothingRead);
    EXPECT_EQ(Trace(Dir.Folder()), NothingRead); // a folder
    EXPECT_TRUE(Notifier.Messages.empty());
    // The HTML document of nothing: the table's last cell and row closed.
    EXPECT_EQ(Report.Build(Dir.Folder() + "missing.q3p", '.'), "    </td>\n</table>\n");
}

struct TFailureCase {
    const char* What;
    SysExFile File;
    std::string Message;
    Lines Gathered; // what was read before the failure
};

void PrintTo(const TFailureCase& c, std::ostream* os) {
    *os << c.What;
}

class ReadFailureTest : public PresetReportTest,
                        public testing::WithParamInterface<TFailureCase> {};

TEST_P(ReadFailureTest, ShowsTheFailureAndKeepsWhatWasGathered) {
    const TFailureCase& c = GetParam();
    const Lines trace = Trace(c.File);
    EXPECT_EQ(Notifier.Messages, Lines{c.Message}) << c.What;
    EXPECT_EQ(trace, Concat({c.Gathered, {"end"}})) << c.What;
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
                     {Start, "preset QVR-3 #01 A"}},
        TFailureCase{"another manufacturer",
                     SysExFile{Msg(0x21).Manufacturer(0x43 << 16)},
                     "error: Not a Korvane format",
                     {}},
        TFailureCase{"first body fails its checksum",
                     SysExFile{PresetHeader(0, "A").BadChecksum()},
                     "error: Bad checksum",
                     {Start}},
        TFailureCase{"third message fails its checksum",
                     SysExFile{PresetHeader(0, "A"), Msg(0x0B).Body({1}),
                               Msg(0x0C).Body({1}).BadChecksum(), PresetHeader(1, "B")},
                     "error: Bad checksum",
                     {Start, "preset QVR-3 #01 A", "*** UNKNOWN datum 0B ***"}},
        TFailureCase{"another product later in the file",
                     SysExFile{PresetHeader(0, "A"), Msg(0x21).Product(87).Body({0, 0, 1})},
                     "error: Inconsistent product Id's in file",
                     {Start, "preset QVR-3 #01 A"}},
        TFailureCase{"unsupported product",
                     SysExFile{PresetHeader(0, "A").Product(89)},
                     "error: Korvane Product Id 89 is not supported",
                     {}},
        TFailureCase{"a message longer than the reader takes",
                     SysExFile{PresetHeader(0, "A"), Msg(0x0B).Body(Bytes(1 << 20, 0x01)),
                               PresetHeader(1, "B")},
                     "error: System exclusive message longer than 1048576 bytes",
                     {Start, "preset QVR-3 #01 A"}},
        TFailureCase{"file ends inside a header",
                     SysExFile().Raw({0xF0, 0x00, 0x00}),
                     "error: Invalid system exclusive format",
                     {}}),
    TNameByWhat());

// A received dump is checked as a report reads it, without a configuration: the first
// problem only, in the report's words.
TEST(DumpCheck, ShowsTheFirstProblemInTheReportsWords) {
    struct TCase {
        const char* What;
        SysExFile File;
        Lines Messages;
    };
    const TCase cases[] = {
        {"two presets of one model", {PresetHeader(0, "A"), PresetHeader(1, "B")}, {}},
        {"two models",
         {PresetHeader(0, "A"), PresetHeader(1, "B").Product(0x56), PresetHeader(2, "C")},
         {"error: Inconsistent product Id's in file"}},
        {"bad checksum",
         {PresetHeader(0, "A").BadChecksum(), PresetHeader(1, "B").Product(0x56)},
         {"error: Bad checksum"}},
        {"a message longer than the reader takes",
         {Msg(0x0B).Body(Bytes(1 << 20, 0x01))},
         {"error: System exclusive message longer than 1048576 bytes"}},
    };
    for (const TCase& c : cases) {
        TRecordingNotifier notifier;
        std::istringstream in(c.File.Str());
        EXPECT_EQ(CheckDump(in, notifier), c.Messages.empty()) << c.What;
        EXPECT_EQ(notifier.Messages, c.Messages) << c.What;
    }
}

TEST_F(PresetReportTest, MissingConfigurationEndsReadingWithItsMessage) {
    TTempFolder empty;
    TPresetReport report(Notifier, TConfigSearch{empty.Folder(), empty.Folder()});
    TempFile preset(SysExFile{PresetHeader(0, "A")}.Str());
    TTraceSink trace;
    report.Emit(preset.Path(), trace, '.');
    EXPECT_EQ(trace.Lines, NothingRead);
    EXPECT_EQ(Notifier.Messages,
              Lines{"error: Unable to access product configuration file, " + empty.Folder() +
                    "QVR3.cfg.\nYou may need to install Korvane's Kelvaro program."});
}

TEST_F(PresetReportTest, ConfigurationKeptLoadedIsUsedWithoutLookingForAFile) {
    TTempFolder empty;
    const TQvrConfig kept(Dir.Folder() + "QVR3.cfg");
    TConfigSearch search{empty.Folder(), empty.Folder()};
    search.Loaded = [&kept](uint8_t product) { return product == 0x5A ? &kept : nullptr; };
    TPresetReport report(Notifier, search);
    TTraceSink trace;
    report.Emit(TempFile(SysExFile{PresetHeader(0, "A")}.Str()).Path(), trace, '.');
    EXPECT_EQ(trace.Lines, (Lines{Start, "preset QVR-3 #01 A", "end"}));
    EXPECT_TRUE(Notifier.Messages.empty());
    // Another model is looked for as usual.
    TTraceSink other;
    report.Emit(TempFile(SysExFile{PresetHeader(0, "A").Product(0x56)}.Str()).Path(), other, '.');
    EXPECT_EQ(other.Lines, NothingRead);
    EXPECT_EQ(Notifier.Messages.size(), 1u);
}

TEST_F(PresetReportTest, HeadingNumbers) {
    EXPECT_EQ(Trace(SysExFile{PresetHeader(4, "A"), PresetHeader(99, "B"), PresetHeader(253, "C"),
                              PresetHeader(254, "D"), PresetHeader(255, "E")}),
              (Lines{Start, "preset QVR-3 #05 A", "preset QVR-3 #100 B", "preset QVR-3 #254 C",
                     "preset QVR-3 D", "preset QVR-3 E", "end"}));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, SummaryNotesTheModelCountsThePresetsAndPassesEveryEventOn) {
    TempFile preset(SysExFile{PresetHeader(4, "A"), Components({Amp}), PresetHeader(254, "B"),
                              UserModel(1, "G"), PresetHeader(9, "C")}
                        .Str());
    TTraceSink trace;
    TSummarySink summary(trace);
    Report.Emit(preset.Path(), summary, '.');
    EXPECT_EQ(trace.Lines, Trace(preset.Path()));
    EXPECT_EQ(summary.Summary().Model, "QVR-3");
    EXPECT_EQ(summary.Summary().PresetCount, 3);

    TSummarySink empty(trace);
    Report.Emit(Dir.Folder() + "missing.q3p", empty, '.');
    EXPECT_EQ(empty.Summary().Model, "");
    EXPECT_EQ(empty.Summary().PresetCount, 0);
}

// A part of the file is read up to its last preset and no further: what lies after it (here a
// message of another product) is never read, and the part's presets all go on.
TEST_F(PresetReportTest, ARangeOfPresetsEndsTheReadingAfterItsLast) {
    TempFile preset(SysExFile{PresetHeader(0, "A"), PresetHeader(1, "B"), PresetHeader(2, "C"),
                              Msg(0x21).Product(87).Body({0, 0, 1}), PresetHeader(3, "D")}
                        .Str());
    struct TCase {
        TPresetRange Range;
        Lines Presets;
        size_t Messages;
    };
    const TCase cases[] = {
        {{0, 2}, {Start, "preset QVR-3 #01 A", "preset QVR-3 #02 B", "end"}, 0},
        {{1, 3}, {Start, "preset QVR-3 #02 B", "preset QVR-3 #03 C", "end"}, 1},
    };
    for (const TCase& c : cases) {
        Notifier.Messages.clear();
        TTraceSink trace;
        TPresetRangeSink part(trace, c.Range);
        Report.Emit(preset.Path(), part, '.');
        EXPECT_EQ(trace.Lines, c.Presets) << c.Range.First;
        EXPECT_EQ(Notifier.Messages.size(), c.Messages) << c.Range.First;
    }
}

TEST_F(PresetReportTest, HeaderThatEndsBeforeItsIndexIsNumberedZero) {
    // The stored body is one byte and the checksum byte: the index reads -1.
    EXPECT_EQ(Trace(SysExFile{Msg(0x21).Body({0})}), (Lines{Start, "preset QVR-3 #00 ", "end"}));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, ColumnCountOutOfRangeBecomesTheDefaultAtAPresetHeader) {
    for (const int32_t columns : {0, 7, -3}) {
        Report.ColumnCount = columns;
        Trace(SysExFile{PresetHeader(0, "A")});
        EXPECT_EQ(Report.ColumnCount, 4);
    }
    Report.ColumnCount = 7;
    Trace(SysExFile{Components({Amp})});
    EXPECT_EQ(Report.ColumnCount, 7); // no preset header, no change
    Report.ColumnCount = 2;
    Trace(SysExFile{PresetHeader(0, "A")});
    EXPECT_EQ(Report.ColumnCount, 2);
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
    EXPECT_EQ(Trace(file),
              (Lines{Start, "preset QVR-3 #01 ", "*** UNKNOWN datum 0B ***",
                     "*** UNKNOWN datum FFFFFF80 ***", "*** UNKNOWN datum FFFFFFFF ***", "end"}));
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(PresetReportTest, ComponentsModifiersAndTheUserDecimalSeparator) {
    EXPECT_EQ(Trace(SysExFile{PresetHeader(0, "A"), Components({Amp, Chorus}), OneLink(1, 1)}, ','),
              Concat({{Start, "preset QVR-3 #01 A"},
                      AmpLines,
                      {"<br>", "<b>Chorus</b>", "Type = Classic", "Rate = 0,4", "Mix = 4"},
                      {"<br>", "<b>LFO 1</b>", "Speed = 1", "Linked param = Chorus Rate",
                       "Max = 0,3", "Min = 0,1", "end"}}));
}

// Each preset's links name the modules of its own chain.
TEST_F(PresetReportTest, LinksOfALaterPresetNameItsOwnModules) {
    const Lines linkA = {"<br>",      "<b>LFO 1</b>", "Speed = 1", "Linked param = Chorus Rate",
                         "Max = 0.3", "Min = 0.1"};
    const Lines linkB = {"<br>",    "<b>LFO 1</b>", "Speed = 1", "Linked param = Green Gain",
                         "Max = 3", "Min = 1"};
    EXPECT_EQ(Trace(SysExFile{PresetHeader(0, "A"), Components({Chorus, Amp}), OneLink(0, 1),
                              PresetHeader(1, "B"), Components({Amp, Chorus}), OneLink(0, 2)}),
              Concat({{Start, "preset QVR-3 #01 A"},
                      ChorusLines,
                      AmpLines,
                      linkA,
                      {"preset QVR-3 #02 B"},
                      AmpLines,
                      ChorusLines,
                      linkB,
                      {"end"}}));
}

struct TNameCase {
    const char* What;
    std::vector<std::pair<uint8_t, std::string>> Models; // component id, name, in file order
    // The names of the green amp, green cabinet, red amp and red cabinet.
    std::array<std::string, 4> Names;
};

void PrintTo(const TNameCase& c, std::ostream* os) {
    *os << c.What;
}

class UserModelNameTest : public PresetReportTest, public testing::WithParamInterface<TNameCase> {};

TEST_P(UserModelNameTest, NamesFindTheirSlots) {
    const TNameCase& c = GetParam();
    SysExFile file{PresetHeader(0, "A"), Components({Amp, Cabinet, Amp, Cabinet})};
    for (const auto& [id, name] : c.Models) {
        file.Add(UserModel(id, name));
    }
    EXPECT_EQ(Trace(file), Concat({{Start, "preset QVR-3 #01 A"},
                                   Named(AmpLines, c.Names[0]),
                                   Named(CabinetLines, c.Names[1]),
                                   Named(RedAmpLines, c.Names[2]),
                                   Named(RedCabinetLines, c.Names[3]),
                                   {"end"}}))
        << c.What;
}

INSTANTIATE_TEST_SUITE_P(Orders, UserModelNameTest,
                         testing::Values(TNameCase{"usual order",
                                                   {{1, "G"}, {2, "GC"}, {1, "R"}, {2, "RC"}},
                                                   {"G", "GC", "R", "RC"}},
                                         TNameCase{"cabinets first",
                                                   {{2, "GC"}, {2, "RC"}, {1, "G"}, {1, "R"}},
                                                   {"G", "GC", "R", "RC"}},
                                         TNameCase{
                                             "more names than slots",
                                             {{1, "G"}, {1, "R"}, {1, "X"}, {0, "Z"}, {7, "Y"}},
                                             {"G", "", "R", ""}},
                                         TNameCase{"kept as the file has it",
                                                   {{1, "<Hot & \"Loud\">"}},
                                                   {"<Hot & \"Loud\">", "", "", ""}}),
                         TNameByWhat());

TEST_F(PresetReportTest, NameSlotsEndWithTheirPresetsComponents) {
    // The first preset's amp is never named; the name that follows the second
    // preset's components has no amp there to go to.
    EXPECT_EQ(Trace(SysExFile{PresetHeader(0, "A"), Components({Amp}), PresetHeader(1, "B"),
                              Components({Chorus}), UserModel(1, "late"), UserModel(0, "zero")}),
              Concat({{Start, "preset QVR-3 #01 A"},
                      AmpLines,
                      {"preset QVR-3 #02 B"},
                      ChorusLines,
                      {"end"}}));
}

TEST_F(PresetReportTest, NameAfterTheNextPresetHeaderStillFindsItsAmp) {
    EXPECT_EQ(
        Trace(SysExFile{PresetHeader(0, "A"), Components({Amp}), PresetHeader(1, "B"),
                        UserModel(1, "M")}),
        Concat(
            {{Start, "preset QVR-3 #01 A"}, Named(AmpLines, "M"), {"preset QVR-3 #02 B", "end"}}));
    // In the document the name goes under the first preset's amp.
    TempFile preset(
        SysExFile{PresetHeader(0, "A"), Components({Amp}), PresetHeader(1, "B"), UserModel(1, "M")}
            .Str());
    const std::string document = Report.Build(preset.Path(), '.');
    EXPECT_NE(
        document.find("      <b>Green Amp</b><br>\n      Name = M<br>\n      Status = On<br>\n"),
        std::string::npos)
        << document;
}

TEST_F(PresetReportTest, PresetNamesAreKeptWhole) {
    const std::string longName(300, 'n');
    EXPECT_EQ(Trace(SysExFile{PresetHeader(0, "<br>"), PresetHeader(1, "&nbsp;"),
                              PresetHeader(2, longName), PresetHeader(3, "A\"B")}),
              (Lines{Start, "preset QVR-3 #01 <br>", "preset QVR-3 #02 &nbsp;",
                     "preset QVR-3 #03 " + longName, "preset QVR-3 #04 A\"B", "end"}));
}

TEST_F(PresetReportTest, NameWithoutTerminatorRunsToTheEndOfTheBody) {
    // The body ends with its checksum byte, which then belongs to the name.
    const Msg header = Msg(0x21).Body(Join({{0, 0, 3}, ToBytes("AB")}));
    const Bytes wire = header.Wire();
    const char checksum = static_cast<char>(wire[wire.size() - 2]);
    EXPECT_EQ(Trace(SysExFile{header}),
              (Lines{Start, "preset QVR-3 #04 AB" + std::string(1, checksum), "end"}));
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
    TempFile preset(file.Str());
    const auto start = std::chrono::steady_clock::now();
    const std::string document = Report.Build(preset.Path(), '.');
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
