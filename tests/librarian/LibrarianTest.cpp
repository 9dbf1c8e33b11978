// The core of qvrlib: a file cut into messages and presets, file names, split and join.

#include "librarian/Dump.h"
#include "librarian/FileNames.h"
#include "librarian/Join.h"
#include "librarian/Send.h"
#include "librarian/Split.h"
#include "report/Comparison.h"
#include "tests/support/MessageBuilder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

const std::string Leading = Msg(0x10).Body({1}).Str();
const std::string PresetA = PresetHeader(0, "A").Str() + Msg(0x24).Body({0, 0, 0, 0}).Str();
const std::string PresetB = PresetHeader(1, "B").Str();

TEST(Dump, CutsIntoMessagesAndPresetsUntilTheFirstProblem) {
    struct TCase {
        const char* Name;
        std::string File;
        std::string Problem;
        size_t Messages;
        size_t Presets;
    };
    const std::vector<TCase> cases = {
        {"whole", Leading + PresetA + PresetB, "", 4, 2},
        {"no presets", Leading + Leading, "", 2, 0},
        {"bad checksum", PresetA + PresetHeader(1, "B").BadChecksum().Str(), "Bad checksum", 2, 1},
        {"other maker", PresetA + PresetHeader(1, "B").Manufacturer(0x43 << 16).Str(),
         "Not a Korvane format", 2, 1},
        {"two products", PresetA + PresetHeader(1, "B").Product(0x56).Str(),
         "Inconsistent product Id's in file", 2, 1},
        {"byte between messages", PresetA + "\x01" + PresetB, "Invalid system exclusive format", 2,
         1},
        // The reader would take the end of the file for the end byte.
        {"no end byte", PresetA + PresetHeader(1, "B").NoEnd().Str(),
         "Invalid system exclusive format", 2, 1},
    };
    for (const TCase& c : cases) {
        const TDump dump = ReadDump(c.File);
        EXPECT_EQ(dump.Problem, c.Problem) << c.Name;
        EXPECT_EQ(dump.Messages.size(), c.Messages) << c.Name;
        EXPECT_EQ(dump.Presets.size(), c.Presets) << c.Name;
    }
    const TDump dump = ReadDump(Leading + PresetA + PresetB);
    EXPECT_EQ(dump.LeadingMessages(), 1u);
    EXPECT_EQ(dump.MessageBytes(0), Leading);
    EXPECT_EQ(dump.PresetBytes(dump.Presets[0]), PresetA);
    EXPECT_EQ(dump.PresetBytes(dump.Presets[1]), PresetB);
    EXPECT_EQ(dump.Presets[1].Header.Name, "B");
    EXPECT_EQ(dump.PresetNumbered(2), &dump.Presets[1]);
    EXPECT_EQ(dump.PresetNumbered(3), nullptr);
}

TEST(FileNames, SafeForEveryFileSystem) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Clean Lead", "Clean Lead"},
        {"Dual <1>", "Dual _1_"},
        {"a/b\\c:d*e?f\"g|h", "a_b_c_d_e_f_g_h"},
        {"\x01tab\t\x7F", "_tab__"},
        {" ..hidden. ", "hidden"},
        {"\xE9t\xE9 \x80", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"},
        {". .", ""},
        // 198 bytes, then a three-byte character whose last byte would be the 200th: cut
        // before it; one byte later, its middle byte would be: cut before it too.
        {std::string(198, 'a') + "\x80", std::string(198, 'a')},
        {std::string(199, 'a') + "\x80", std::string(199, 'a')},
        // 101 two-byte characters: cut at 200 bytes, between characters.
        {std::string(101, '\xE9'),
         [] {
             std::string s;
             for (int i = 0; i < 100; ++i) {
                 s += "\xC3\xA9";
             }
             return s;
         }()},
    };
    for (const auto& [text, name] : cases) {
        EXPECT_EQ(SafeFileName(text), name) << text;
    }
}

TEST(FileNames, TakenNamesGetASuffix) {
    TFreeNames names({"07 Lead.q3p", "Dup (3).q3p"});
    EXPECT_EQ(names.Next("07 Lead", "q3p"), "07 Lead (2).q3p");
    EXPECT_EQ(names.Next("07 Lead", "q3p"), "07 Lead (3).q3p");
    EXPECT_EQ(names.Next("08 Lead", "q3p"), "08 Lead.q3p");
    // Names of one stem that another stem gave or the folder has are skipped.
    EXPECT_EQ(names.Next("07 Lead (3)", "q3p"), "07 Lead (3) (2).q3p");
    const std::vector<std::string> dups = {"Dup.q3p", "Dup (2).q3p", "Dup (4).q3p"};
    for (const std::string& expected : dups) {
        EXPECT_EQ(names.Next("Dup", "q3p"), expected);
    }
    // Many presets of one name each get the next number, up to any number of them.
    for (int n = 4; n <= 20000; ++n) {
        const std::string expected = "07 Lead (" + std::to_string(n) + ").q3p";
        if (names.Next("07 Lead", "q3p") != expected) {
            ADD_FAILURE() << expected;
            break;
        }
    }
}

TEST(Split, NamesFromNumberAndName) {
    const TDump dump =
        ReadDump(Leading + PresetHeader(99, "Hundred").Str() + PresetHeader(2, "").Str() +
                 PresetHeader(0xFF, "").Str() + PresetHeader(0xFE, "Spare").Str());
    std::vector<std::string> stems;
    for (const TSplitPart& part : SplitParts(dump)) {
        stems.push_back(part.Stem);
    }
    const std::vector<std::string> expected = {"000 Before first preset", "100 Hundred", "003",
                                               "Preset", "Spare"};
    EXPECT_EQ(stems, expected);
}

TEST(Join, RefusesWhatCannotBeJoined) {
    const TDump whole = ReadDump(Leading + PresetA + PresetB);
    const TDump damaged = ReadDump(PresetA + PresetHeader(1, "B").BadChecksum().Str());
    const TDump kdt = ReadDump(PresetHeader(5, "K").Product(0x5B).Str());
    struct TCase {
        std::vector<TJoinInput> Inputs;
        std::optional<int32_t> Renumber;
        std::string Error;
    };
    const std::vector<TCase> cases = {
        {{{"a", &whole, 9}}, {}, "there is no preset 9"},
        {{{"a", &whole, {}}, {"b", &whole, 2}},
         {},
         "There is a preset 2 in 'a' and in 'b'; --renumber FIRST numbers the presets anew, "
         "--keep-repeats keeps them as they are."},
        {{{"a", &whole, 2}, {"a", &whole, 2}},
         {},
         "There is a preset 2 twice in 'a'; --renumber FIRST numbers the presets anew, "
         "--keep-repeats keeps them as they are."},
        {{{"a", &whole, {}}, {"b", &damaged, 1}}, {}, "Bad checksum"},
        {{{"a", &whole, {}}, {"k", &kdt, {}}},
         {},
         "The files are for different models: QVR-3 and KDT-3."},
        {{{"a", &whole, {}}, {"b", &whole, {}}},
         252,
         "The 4 presets do not fit in the numbers from 252 to 254."},
    };
    for (const TCase& c : cases) {
        try {
            JoinDumps(c.Inputs, {.RenumberFrom = c.Renumber});
            ADD_FAILURE() << "joined: " << c.Error;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), c.Error);
        }
    }
}

TEST(Join, RenumbersOnlyTheHeaders) {
    const TDump whole = ReadDump(Leading + PresetA + PresetB);
    const TJoined joined = JoinDumps({{"a", &whole, 2}, {"a", &whole, {}}}, {.RenumberFrom = 251});
    EXPECT_EQ(joined.Presets, 3u);
    EXPECT_EQ(Hex(joined.Bytes),
              Hex(PresetHeader(250, "B").Str() + Leading + PresetHeader(251, "A").Str() +
                  Msg(0x24).Body({0, 0, 0, 0}).Str() + PresetHeader(252, "B").Str()));
    EXPECT_EQ(JoinDumps({{"a", &whole, {}}}, {}).Bytes, whole.Bytes);
    // Presets that end exactly at the last number fit.
    EXPECT_EQ(Hex(JoinDumps({{"a", &whole, {}}}, {.RenumberFrom = 253}).Bytes),
              Hex(Leading + PresetHeader(252, "A").Str() + Msg(0x24).Body({0, 0, 0, 0}).Str() +
                  PresetHeader(253, "B").Str()));
}

// A backup whose numbers repeat (1 to 254, then 1 again) comes back byte for byte from the
// files it is split into, joined in the order split gives them with the repeats kept.
TEST(Join, GivesBackABackupWhoseNumbersRepeat) {
    std::string backup = Leading;
    for (uint8_t index = 0; index < FirstUnnumberedIndex; ++index) {
        backup += PresetHeader(index, std::string("P").append(std::to_string(index))).Str();
    }
    backup += PresetHeader(0, "Again").Str();
    const TDump dump = ReadDump(backup);
    std::vector<TDump> parts;
    for (const TSplitPart& part : SplitParts(dump)) {
        parts.push_back(ReadDump(std::string(part.Bytes)));
    }
    std::vector<TJoinInput> inputs;
    for (const TDump& part : parts) {
        inputs.push_back({"part " + std::to_string(inputs.size()), &part, {}});
    }
    EXPECT_TRUE(JoinDumps(inputs, {.KeepRepeats = true}).Bytes == backup);
    EXPECT_THROW(JoinDumps(inputs, {}), EJoinError);
}

// A target that keeps every event and raises the stop flag once it has `stopAfter` of them,
// as Ctrl+C would during the pause after that event.
class TStoppingTarget : public ISendTarget {
public:
    TStoppingTarget(size_t stopAfter, std::atomic<bool>& stop) : StopAfter(stopAfter), Stop(stop) {}
    void Send(std::span<const uint8_t> bytes) override {
        Events.emplace_back(bytes.begin(), bytes.end());
        if (Events.size() == StopAfter) {
            Stop = true;
        }
    }
    std::vector<Bytes> Events;

private:
    size_t StopAfter;
    std::atomic<bool>& Stop;
};

TEST(Send, StopsBeforeTheNextPieceAndSaysWhere) {
    const std::string header = PresetHeader(0, "Big").Str();
    const std::string big = Msg(0x2A).Plain().Body(Bytes(1000, 0x01)).Str();
    const TDump dump = ReadDump(Leading + header + big);
    const TSendPlan plan = PlanSend(dump, "big.q3p", std::nullopt);
    const std::string sizes = " of 3 messages (" + std::to_string(Leading.size() + header.size()) +
                              " of " + std::to_string(Leading.size() + header.size() + big.size()) +
                              " bytes); no preset went out whole";
    struct TCase {
        const char* Name;
        size_t StopAfter;
        size_t Events;
        std::string HowFar;
    };
    const std::vector<TCase> cases = {
        {"after a whole message", 1, 1,
         "1 of 3 messages (" + std::to_string(Leading.size()) + " of " +
             std::to_string(Leading.size() + header.size() + big.size()) +
             " bytes); no preset went out whole"},
        {"inside a message", 3, 3,
         "2" + sizes + "; message 3 was cut off after 256 of " + std::to_string(big.size()) +
             " bytes"},
    };
    for (const TCase& c : cases) {
        std::atomic<bool> stop = false;
        TStoppingTarget target(c.StopAfter, stop);
        const TSendProgress done = SendPlan(
            plan, TPacing{.Interval = std::chrono::milliseconds(0), .Chunk = 256}, target,
            [](const TSendProgress&) {}, stop);
        EXPECT_EQ(target.Events.size(), c.Events) << c.Name;
        EXPECT_EQ(HowFarText(plan, done), c.HowFar) << c.Name;
    }
}

// Sent whole, a message longer than a MIDI event carries is refused before anything goes out.
TEST(Send, RefusesAWholeMessageLongerThanAnEvent) {
    const std::string big = Msg(0x2A).Plain().Body(Bytes(9000, 0x01)).Str();
    const TDump dump = ReadDump(PresetHeader(0, "Big").Str() + big);
    const TSendPlan plan = PlanSend(dump, "big.q3p", std::nullopt);
    std::atomic<bool> stop = false;
    TStoppingTarget target(0, stop);
    const TPacing whole{.Interval = std::chrono::milliseconds(0), .Chunk = 0};
    try {
        SendPlan(
            plan, whole, target, [](const TSendProgress&) {}, stop);
        ADD_FAILURE() << "a message of " << big.size() << " bytes sent whole";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "message 2 of 2 (preset #01  Big) is " + std::to_string(big.size()) +
                      " bytes long, more than the 8192 bytes a MIDI event carries whole; send it "
                      "in pieces");
    }
    EXPECT_TRUE(target.Events.empty());
    // In pieces it goes.
    SendPlan(
        plan, TPacing{.Interval = std::chrono::milliseconds(0), .Chunk = 8192}, target,
        [](const TSendProgress&) {}, stop);
    EXPECT_EQ(target.Events.size(), 3u);
}

} // namespace
} // namespace qvr::test
