#include "sysex/PresetHeader.h"
#include "tests/support/MessageBuilder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

const std::string Examples = std::string(QVR_EXAMPLES_DIR) + "/presets/";
const std::vector<std::string> Backups = {"backup.q1a", "backup.q2a", "backup.q3a", "backup.t3a",
                                          "backup.k3a"};

struct TLibRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs qvrlib in a folder of its own.
class LibTest : public testing::Test {
protected:
    TLibRun Run(const std::vector<std::string>& args, const std::string& exe = QVRLIB_PATH,
                const std::string& input = "/dev/null") {
        std::string command = "env LC_ALL=C JACK_NO_START_SERVER=1 HOME='" + Dir.string() +
                              "' XDG_CONFIG_HOME='" + Dir.string() + "' '" + exe + "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command += " <'" + input + "' >'" + (Dir / "stdout").string() + "' 2>'" +
                   (Dir / "stderr").string() + "'";
        const int status = std::system(command.c_str());
        TLibRun run;
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = ReadFileBytes(Dir / "stdout");
        run.Err = ReadFileBytes(Dir / "stderr");
        return run;
    }

    // Starts qvrlib as Run does, without waiting for it; its output goes nowhere.
    pid_t Start(const std::vector<std::string>& args) const {
        std::vector<std::string> words = {QVRLIB_PATH};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const std::string home = Dir.string();
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("HOME", home.c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return child;
    }

    // The names in the folder, in the shell's order.
    static std::vector<std::string> Listing(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.insert(entry.path().string());
        }
        return {names.begin(), names.end()};
    }

    TTempFolder Temp;
    const fs::path Dir = Temp.Path();
};

TEST_F(LibTest, DispatchesToCommandsAndAnswersHelpAndVersion) {
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutStart;
        std::string Err;
    };
    const std::string tryLib = "Try 'qvrlib --help' for more information.\n";
    const std::vector<TCase> cases = {
        {{"--help"}, 0, "Usage: qvrlib COMMAND", ""},
        {{"-h", "split"}, 0, "Usage: qvrlib COMMAND", ""},
        {{"--version"}, 0, "qvrlib (Oktrel(tm) Preset Viewer) ", ""},
        {{"help"}, 0, "Usage: qvrlib COMMAND", ""},
        {{"help", "help"}, 0, "Usage: qvrlib help [COMMAND]", ""},
        {{"history", "--help"}, 0, "Usage: qvrlib history [OPTION]... FILE:N\n", ""},
        {{"help", "duplicates"}, 0, "Usage: qvrlib duplicates [OPTION]...\n", ""},
        {{"--", "help", "--help"}, 0, "Usage: qvrlib help [COMMAND]", ""},
        {{}, 2, "", "qvrlib: missing command\n" + tryLib},
        {{"splat"}, 2, "", "qvrlib: unknown command 'splat'\n" + tryLib},
        {{"--bogus"}, 2, "", "qvrlib: unrecognized option '--bogus'\n" + tryLib},
        {{"help", "splat"},
         2,
         "",
         "qvrlib help: unknown command 'splat'\nTry 'qvrlib help --help' for more information.\n"},
    };
    for (const TCase& c : cases) {
        const TLibRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out.rfind(c.OutStart, 0), 0u) << run.Out;
        EXPECT_EQ(run.Out.empty(), c.OutStart.empty()) << run.Out;
        EXPECT_EQ(run.Err, c.Err) << testing::PrintToString(c.Args);
    }
}

TEST_F(LibTest, SplitThenJoinGivesTheBackupBack) {
    for (const std::string& backup : Backups) {
        const fs::path folder = Dir / backup;
        const TLibRun split = Run({"split", Examples + backup, folder.string()});
        EXPECT_EQ(split.Status, 0) << split.Err;
        EXPECT_EQ(split.Err, "");
        // A file of its own for every preset, with the model's preset extension, listed in the
        // order of the backup.
        std::vector<std::string> join = {"join", (Dir / ("joined." + backup.substr(7))).string()};
        std::istringstream listed(split.Out);
        for (std::string line; std::getline(listed, line);) {
            join.push_back(line);
        }
        EXPECT_EQ(Listing(folder).size(), backup == "backup.k3a" ? 26u : 25u);
        EXPECT_EQ(join.size(), Listing(folder).size() + 2);
        const std::string preset = std::string(".").append(backup.substr(7, 2)).append("p");
        EXPECT_EQ(join[2], (folder / "01 Clean 1").string() + preset);
        const TLibRun joined = Run(join);
        EXPECT_EQ(joined.Status, 0) << joined.Err;
        EXPECT_TRUE(ReadFileBytes(Dir / ("joined." + backup.substr(7))) ==
                    ReadFileBytes(Examples + backup))
            << backup;
    }
}

// A backup whose numbers repeat comes back too, joined in the listed order with -k.
TEST_F(LibTest, SplitThenJoinKeepingRepeatsGivesTheBackupBack) {
    std::string bytes;
    for (uint8_t index = 0; index < FirstUnnumberedIndex; ++index) {
        bytes += PresetHeader(index, "P").Str();
    }
    bytes += PresetHeader(0, "P").Str();
    const std::string backup = Temp.Write("repeats.q3a", bytes);
    const TLibRun split = Run({"split", backup, (Dir / "parts").string()});
    ASSERT_EQ(split.Status, 0) << split.Err;
    const std::string joined = (Dir / "joined.q3a").string();
    std::vector<std::string> join = {"join", "-k", joined};
    std::istringstream listed(split.Out);
    for (std::string line; std::getline(listed, line);) {
        join.push_back(line);
    }
    EXPECT_EQ(join.size(), 3u + FirstUnnumberedIndex + 1);
    const TLibRun run = Run(join);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(ReadFileBytes(joined) == bytes);
}

TEST_F(LibTest, StandardInputIsAFileForEveryCommand) {
    const std::string backup = Examples + "backup.q3a";
    const std::string joined = (Dir / "joined.q3a").string();
    const std::string one = (Dir / "one.q3p").string();
    const struct {
        std::vector<std::string> Args;
        std::string Out; // the start of standard output
        std::string Written;
        std::string Bytes; // what the file written holds
    } cases[] = {
        {{"split", "-", (Dir / "parts").string()},
         (Dir / "parts" / "01 Clean 1.q3p").string() + "\n",
         (Dir / "parts" / "01 Clean 1.q3p").string(),
         ""},
        {{"join", joined, "-"}, "", joined, ReadFileBytes(backup)},
        {{"join", one, "--", "-:1"}, "", one, ""},
        {{"send", "-n", "--", "-:2"}, "QVR-3: 1 preset, ", "", ""},
    };
    for (const auto& c : cases) {
        const TLibRun run = Run(c.Args, QVRLIB_PATH, backup);
        const std::string what = testing::PrintToString(c.Args);
        EXPECT_EQ(run.Status, 0) << what << run.Err;
        EXPECT_EQ(run.Out.substr(0, c.Out.size()), c.Out) << what;
        if (!c.Written.empty()) {
            EXPECT_TRUE(fs::exists(c.Written)) << what;
        }
        if (!c.Bytes.empty()) {
            EXPECT_TRUE(ReadFileBytes(c.Written) == c.Bytes) << what;
        }
    }
    // Messages name it as every program does.
    const TLibRun empty = Run({"split", "-", (Dir / "none").string()});
    EXPECT_EQ(empty.Err, "error: standard input: the file holds no messages\n");
}

TEST_F(LibTest, JoinRenumberedReadsWithTheNewNumbersOnly) {
    const std::string joined = (Dir / "joined.q3a").string();
    const TLibRun run = Run(
        {"join", "--renumber", "30", joined, Examples + "showcase.q3p", Examples + "backup.q3a"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto text = [this](const std::string& file) {
        return Run({"--format", "text", file}, QVRREPORT_PATH).Out;
    };
    // The sources' reports with the presets numbered from 30 in order.
    const std::string sources =
        text(Examples + "showcase.q3p") + "\n" + text(Examples + "backup.q3a");
    const std::regex heading("^(QVR-3 Preset)( #\\d+)?(  .*)$");
    std::istringstream lines(sources);
    std::string expected;
    int number = 30;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, heading)) {
            line = match.str(1) + " #" + std::to_string(number++) + match.str(3);
        }
        expected += line + "\n";
    }
    EXPECT_EQ(number, 30 + 26);
    EXPECT_EQ(text(joined), expected);
}

TEST_F(LibTest, SplitKeepsMessagesBeforeTheFirstPreset) {
    const std::string leading = Msg(0x10).Body({1}).Str() + Msg(0x22).Body({2}).Str();
    const std::string preset = PresetHeader(6, "Lead/Solo").Str();
    const std::string file = Temp.Write("file.q3p", leading + preset);
    const TLibRun run = Run({"split", file, (Dir / "parts").string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, (Dir / "parts" / "00 Before first preset.q3p").string() + "\n" +
                           (Dir / "parts" / "07 Lead_Solo.q3p").string() + "\n");
    EXPECT_EQ(run.Err, "qvrlib split: 2 messages before the first preset kept in '00 Before first "
                       "preset.q3p'\n");
    EXPECT_EQ(ReadFileBytes(Dir / "parts" / "00 Before first preset.q3p"), leading);
    EXPECT_EQ(ReadFileBytes(Dir / "parts" / "07 Lead_Solo.q3p"), preset);
}

TEST_F(LibTest, DamagedFileIsRefusedWithNothingWritten) {
    const std::string good = PresetHeader(0, "A").Str();
    const std::string file = Temp.Write("bad.q3p", good + PresetHeader(1, "B").BadChecksum().Str());
    const std::string out = (Dir / "parts").string();
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string Err;
    };
    const std::vector<TCase> cases = {
        {{"split", file, out},
         1,
         "error: " + file +
             ": Bad checksum\nqvrlib split: nothing written; --force splits the part that reads\n"},
        {{"join", out + ".q3a", file}, 1, "error: " + file + ": Bad checksum\n"},
        {{"join", out + ".q3a", Examples + "stage.q1p"},
         2,
         "qvrlib join: '" + out +
             ".q3a' has an extension of the QVR-3, the presets are for the QVR-1 (.q1a or .q1p)\n"
             "Try 'qvrlib join --help' for more information.\n"},
        {{"join", file, Examples + "showcase.q3p", file},
         2,
         "qvrlib join: the output file '" + file +
             "' is an input file\nTry 'qvrlib join --help' for more information.\n"},
        {{"join", out + ".txt", file},
         2,
         "qvrlib join: '" + out +
             ".txt' has no preset or backup file extension\nTry 'qvrlib join --help' for more "
             "information.\n"},
        {{"join", "--renumber", "255", out + ".q3a", file},
         2,
         "qvrlib join: invalid first number '255' (must be 1 to 254)\nTry 'qvrlib join --help' "
         "for more information.\n"},
        {{"join", "-k", "--renumber", "1", out + ".q3a", file},
         2,
         "qvrlib join: --renumber and --keep-repeats exclude each other\nTry 'qvrlib join --help' "
         "for more information.\n"},
        {{"split"},
         2,
         "qvrlib split: missing file operand\nTry 'qvrlib split --help' for more information.\n"},
    };
    for (const TCase& c : cases) {
        const TLibRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Err, c.Err);
        EXPECT_FALSE(fs::exists(out)) << testing::PrintToString(c.Args);
        EXPECT_FALSE(fs::exists(out + ".q3a")) << testing::PrintToString(c.Args);
    }
    EXPECT_EQ(ReadFileBytes(file), good + PresetHeader(1, "B").BadChecksum().Str());

    // --force splits the presets before the damage.
    const TLibRun forced = Run({"split", "--force", file, out});
    EXPECT_EQ(forced.Status, 1);
    EXPECT_EQ(Listing(out), std::vector<std::string>{out + "/01 A.q3p"});
    EXPECT_EQ(ReadFileBytes(out + "/01 A.q3p"), good);
}

// qvrlib set and rename over a generated preset with every kind of value: OUT holds the
// changes asked for and nothing else, as the comparison of the two files shows; a value or name
// outside what the device uses is refused (nothing written) unless --force is given.
TEST_F(LibTest, SetAndRenameChangeWhatIsAskedAndNothingElse) {
    const std::string description = Temp.Write("edit.txt", R"(product QVR-3
preset 3 "Glassy Clean"
components
component 1 type=1 values=0,24,0
component 10 type=1 values=0,1,40,2,20,30,24
component 3 type=2 values=1,55,60,45,70,1,1,80
component 16 type=1 values=0,1,1200,35,25:l2,0,150
component 2 type=1 values=0,80,0
modifiers
modifier 1 values=0,1,1
link module=1 param=2 max=60 min=0
modifier 2 values=0,40,2,3
link module=3 param=2 max=99 min=10
link none
preset 4 "Next"
components
component 1 type=1 values=0,24,0
)");
    const std::string file = (Dir / "edit.q3p").string();
    ASSERT_EQ(Run({description, file}, QVRPRESETGEN_PATH).Status, 0);
    const std::string configs = std::string(QVR_EXAMPLES_DIR) + "/config";
    const std::string out = (Dir / "out.q3p").string();
    struct TCase {
        std::vector<std::string> Args; // after the command and before -o OUT
        int Status;
        std::string Out;
        std::string Err;
        std::string Changes; // the comparison's lines of preset 3, when OUT is written
    };
    const std::string header = "Preset #03  Glassy Clean\n";
    const std::string header2 = "Preset #03  Glassy Clean \xE2\x86\x92 Glassy\n";
    const std::string totals = "1 preset unchanged, 1 changed, 0 removed, 0 added.\n";
    const std::vector<TCase> cases = {
        {{"set", file + ":3", "Compressor: Status=Off", "Compressor: Ratio = 20:1",
          "Compressor: Attack (ms)=49.5", "Delay: Time (ms)=3000", "Delay: High Cut (Hz)=Off",
          "Delay: Mix=100", "LFO 1: Rate (Hz)=Tempo", "Expression Pedal: Link 1 Max=-10",
          "Input: Input Level (dB)=-12"},
         0,
         "Compressor: Status = Off (was On)\nCompressor: Ratio = 20:1 (was 3:1)\n"
         "Compressor: Attack (ms) = 49.5 (was 10.5)\nDelay: Time (ms) = 3000 (was 2000)\n"
         "Delay: High Cut (Hz) = Off (was 16000)\nDelay: Mix = 100 (was 25)\n"
         "LFO 1: Rate (Hz) = Tempo (was 2.05)\nExpression Pedal: Link 1 Max = -10 (was -60)\n"
         "Input: Input Level (dB) = -12 (was 0)\n",
         "",
         header + "  Input: Input Level (dB): 0 \xE2\x86\x92 -12\n"
                  "  Compressor: Status: On \xE2\x86\x92 Off\n"
                  "  Compressor: Ratio: 3:1 \xE2\x86\x92 20:1\n"
                  "  Compressor: Attack (ms): 10.5 \xE2\x86\x92 49.5\n"
                  "  Delay: Time (ms): 2000 \xE2\x86\x92 3000\n"
                  "  Delay: Mix: 25 \xE2\x86\x92 100\n"
                  "  Delay: High Cut (Hz): 16000 \xE2\x86\x92 Off\n"
                  "  Expression Pedal: Max: -60 \xE2\x86\x92 -10\n"
                  "  LFO 1: Rate (Hz): 2.05 \xE2\x86\x92 Tempo\n"},
        {{"set", file + ":3", "--name", "Glassy", "Green Amp: Sag=High"},
         0,
         "Green Amp: Sag = High (was Low)\nName = Glassy (was Glassy Clean)\n",
         "",
         header2 + "  Green Amp: Sag: Low \xE2\x86\x92 High\n"},
        {{"rename", file + ":3", "Glassy"}, 0, "Name = Glassy (was Glassy Clean)\n", "", header2},
        {{"set", "--force", file + ":3", "Delay: Time (ms)=3005"},
         0,
         "Delay: Time (ms) = 3005 (was 2000) [outside what the device uses]\n",
         "warning: " + file +
             ": preset 3: Delay: Time (ms) '3005' lies outside what the device uses; set by "
             "--force\n",
         header + "  Delay: Time (ms): 2000 \xE2\x86\x92 3005\n"},
        {{"set", file + ":3", "Delay: Time (ms)=3005", "Compressor: Attack (ms)=10.3"},
         1,
         "",
         "error: " + file +
             ": preset 3: Delay: Time (ms) '3005' lies outside what the device uses (0 to 3000, "
             "and the values the library has seen) (--force sets it)\n"
             "error: " +
             file +
             ": preset 3: Compressor: '10.3' is not a value of Attack (ms); the nearest shown are "
             "10 and 10.5\nqvrlib set: nothing written\n",
         ""},
        {{"rename", file + ":3", "Glassy Clean Lead"},
         1,
         "",
         "error: " + file +
             ": preset 3: the name 'Glassy Clean Lead' is longer than the 12 characters of the "
             "longest name seen (--force sets it)\nqvrlib rename: nothing written\n",
         ""},
        // Arguments are UTF-8; the files hold the code page's byte.
        {{"rename", file + ":3", "Caf\xC3\xA9"},
         1,
         "",
         "error: " + file +
             ": preset 3: the name 'Caf\xC3\xA9' has characters no QVR-3 preset name has "
             "('\xC3\xA9') (--force sets it)\nqvrlib rename: nothing written\n",
         ""},
        {{"rename", "--force", file + ":3", "Caf\xC3\xA9"},
         0,
         "Name = Caf\xC3\xA9 (was Glassy Clean) [outside what the device uses]\n",
         "warning: " + file +
             ": preset 3: Name 'Caf\xC3\xA9' lies outside what the device uses; set by --force\n",
         "Preset #03  Glassy Clean \xE2\x86\x92 Caf\xC3\xA9\n"},
        {{"rename", file + ":3", "Ca\xE2\x86\x92"},
         2,
         "",
         "qvrlib rename: the name has a character the preset files cannot hold\nTry 'qvrlib "
         "rename --help' for more information.\n",
         ""},
        {{"set", file, "Delay: Mix=1"},
         1,
         "",
         "error: " + file + ": the file holds 2 presets: name one as FILE:N\n",
         ""},
        {{"set", file + ":3", "Delay Mix=1"},
         2,
         "",
         "qvrlib set: 'Delay Mix=1' is not MODULE: PARAMETER=VALUE\nTry 'qvrlib set --help' "
         "for more information.\n",
         ""},
    };
    for (const TCase& c : cases) {
        fs::remove(out);
        std::vector<std::string> args = c.Args;
        args.insert(args.end(), {"--database", (Dir / "none.sqlite").string(), "--config-dir",
                                 configs, "-o", out});
        const TLibRun run = Run(args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args) << run.Err;
        EXPECT_EQ(run.Out, c.Out) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Err, c.Err) << testing::PrintToString(c.Args);
        EXPECT_EQ(fs::exists(out), c.Status == 0) << testing::PrintToString(c.Args);
        EXPECT_FALSE(fs::exists(Dir / "none.sqlite"));
        if (c.Status == 0) {
            const TLibRun compare =
                Run({"--compare", "--config-dir", configs, file, out}, QVRREPORT_PATH);
            EXPECT_EQ(compare.Out, c.Changes + totals) << testing::PrintToString(c.Args);
        }
    }
    // --list: each module with its type, and each value that can be set as shown, with the
    // configuration's range.
    const TLibRun list = Run({"set", "--list", "-d", configs, file + ":3"});
    EXPECT_EQ(list.Status, 0) << list.Err;
    EXPECT_EQ(list.Out, "Input (Guitar)\n"
                        "  Input Level (dB) = 0 (-12 to 12)\n"
                        "  Impedance = 1M (1M to 22k)\n"
                        "Compressor (Studio Comp)\n"
                        "  Status = On (Off to On)\n"
                        "  Threshold (dB) = -40 (0 to -60)\n"
                        "  Ratio = 3:1 (1.5:1 to 20:1)\n"
                        "  Attack (ms) = 10.5 (0.5 to 50)\n"
                        "  Release (ms) = 310 (10 to 1000)\n"
                        "  Gain (dB) = 12 (0 to 24)\n"
                        "Green Amp (Clean Combo)\n"
                        "  Volume = 5.5 (0 to 10)\n"
                        "  Bass = 6 (0 to 10)\n"
                        "  Mid = 4.5 (0 to 10)\n"
                        "  Treble = 7 (0 to 10)\n"
                        "  Bright = On (Off to On)\n"
                        "  Sag = Low (Off to High)\n"
                        "  Master = 8 (0 to 10)\n"
                        "Delay (Digital Delay)\n"
                        "  Status = On (Off to On)\n"
                        "  Time (ms) = 2000 (0 to 3000)\n"
                        "  Feedback = 35 (0 to 100)\n"
                        "  Mix = 25 (0 to 100)\n"
                        "  Tempo Sync = Off (Off to 1/16)\n"
                        "  High Cut (Hz) = 16000 (1000 to Off)\n"
                        "Output (Full Range)\n"
                        "  Output Level (dB) = 0 (-40 to 12)\n"
                        "  Global EQ = Off (Off to On)\n"
                        "Expression Pedal\n"
                        "  Mode = Link (Link to Wah)\n"
                        "  Curve = Slow Start (Linear to Fast Start)\n"
                        "  Toe Switch = On (Off to On)\n"
                        "  Link 1 Max = -60 (0 to -60)\n"
                        "  Link 1 Min = 0 (0 to -60)\n"
                        "LFO 1\n"
                        "  Waveform = Sine (Sine to Random)\n"
                        "  Rate (Hz) = 2.05 (0.05 to Tempo)\n"
                        "  Phase (deg) = 90 (0 to 360)\n"
                        "  Tempo Division = 1/4 (1/1 to 1/16)\n"
                        "  Link 1 Max = 99 (0 to 3000)\n"
                        "  Link 1 Min = 10 (0 to 3000)\n");

    // A value the owner's device wrote, as the library holds it, needs no --force.
    const std::string used = Temp.Write("used.txt", R"(product QVR-3
preset 9 "Used"
components
component 1 type=1 values=0,24,0
component 10 type=1 values=0,1,40,2,20,30,24
component 3 type=2 values=1,55,60,45,70,1,1,80
component 16 type=1 values=0,1,1401,35,25,0,150
)");
    const std::string usedFile = (Dir / "used.q3p").string();
    const std::string database = (Dir / "library.sqlite").string();
    ASSERT_EQ(Run({used, usedFile}, QVRPRESETGEN_PATH).Status, 0);
    ASSERT_EQ(Run({"add", "--database", database, "-d", configs, usedFile}).Status, 0);
    const TLibRun seen = Run({"set", "--database", database, "-d", configs, file + ":3",
                              "Delay: Time (ms)=3005", "-o", out});
    EXPECT_EQ(seen.Status, 0) << seen.Err;
    EXPECT_EQ(seen.Out, "Delay: Time (ms) = 3005 (was 2000)\n");
    EXPECT_EQ(seen.Err, "");

    // OUT never replaces FILE.
    const std::string before = ReadFileBytes(file);
    const TLibRun over = Run({"rename", file + ":3", "X", "-o", file});
    EXPECT_EQ(over.Status, 2);
    EXPECT_EQ(ReadFileBytes(file), before);
}

// The programs never write over what they read: a join's output or a dump received is refused
// when it is (a link to) an input, a configuration file or the settings file, and that file
// stays as it was.
TEST_F(LibTest, OutputsNeverReplaceWhatTheProgramsRead) {
    const fs::path settings = Dir / "oktrel" / "registry.reg";
    const fs::path editor = Dir / "editor";
    const std::string settingsText =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\MicroSoft\\Windows\\CurrentVersion\\App "
        "Paths\\Kelvaro.EXE]\n\"Path\"=\"" +
        editor.string() + "/\"\n";
    WriteFileBytes(settings, settingsText);
    WriteFileBytes(editor / "QVR3.cfg", "config");
    const std::string input = Temp.Write("in.q3p", PresetHeader(0, "A").Str());
    const std::string toSettings = (Dir / "settings.q3a").string();
    const std::string toConfig = (Dir / "config.q3a").string();
    fs::create_symlink(settings, toSettings);
    fs::create_symlink(editor / "QVR3.cfg", toConfig);
    const std::string tryJoin = "Try 'qvrlib join --help' for more information.\n";
    struct TCase {
        std::string Program;
        std::vector<std::string> Args;
        std::string Err;
    };
    std::vector<TCase> cases = {
        {QVRLIB_PATH,
         {"join", toSettings, input},
         "qvrlib join: the output file '" + toSettings + "' would replace the settings file '" +
             settings.string() + "'\n" + tryJoin},
        {QVRLIB_PATH,
         {"join", toConfig, input},
         "qvrlib join: the output file '" + toConfig + "' would replace the configuration file '" +
             editor.string() + "/QVR3.cfg'\n" + tryJoin},
    };
#ifdef QVRCAPTURE_PATH
    cases.push_back(
        {QVRCAPTURE_PATH,
         {settings.string()},
         "qvrcapture: the dump would replace the settings file '" + settings.string() +
             "'; choose another file\nTry 'qvrcapture --help' for more information.\n"});
    cases.push_back(
        {QVRCAPTURE_PATH,
         {toConfig},
         "qvrcapture: the dump would replace the configuration file '" + editor.string() +
             "/QVR3.cfg'; choose another file\nTry 'qvrcapture --help' for more information.\n"});
#endif
    for (const TCase& c : cases) {
        const TLibRun run = Run(c.Args, c.Program);
        EXPECT_EQ(run.Status, 2) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Err, c.Err) << testing::PrintToString(c.Args);
        EXPECT_EQ(ReadFileBytes(settings), settingsText);
        EXPECT_EQ(ReadFileBytes(editor / "QVR3.cfg"), "config");
        EXPECT_TRUE(fs::is_symlink(toSettings) && fs::is_symlink(toConfig));
        // No temporary file either.
        EXPECT_EQ(Listing(Dir).size(), 7u) << testing::PrintToString(Listing(Dir));
    }
}

// Ended by a signal half-way through a join or a split, qvrlib leaves no temporary file: no
// output of a join, and only whole files of a split. It ends as the signal ends a process.
TEST_F(LibTest, ASignalDuringJoinOrSplitLeavesNoTemporaryFile) {
    // Presets without a number may repeat; copies of a large file make a join that takes a
    // while, and a split of it writes many files.
    const std::string preset = PresetHeader(FirstUnnumberedIndex, "Same").Str();
    std::string bytes;
    while (bytes.size() < (size_t{1} << 20)) {
        bytes += preset;
    }
    const std::string input = Temp.Write("big.q3a", bytes);
    const fs::path out = Dir / "out";
    const std::string joined = (out / "joined.q3a").string();
    struct TCase {
        std::vector<std::string> Args;
        int Signal;
    };
    std::vector<TCase> cases;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        cases.push_back({{"join", joined, input, input, input, input}, signal});
        cases.push_back({{"split", input, out.string()}, signal});
    }
    for (const TCase& c : cases) {
        const std::string what = c.Args[0] + " " + std::to_string(c.Signal);
        fs::remove_all(out);
        fs::create_directory(out);
        const pid_t child = Start(c.Args);
        ASSERT_GT(child, 0);
        // Waits until the command has begun to write.
        int status = 0;
        bool ended = false;
        while (fs::is_empty(out) && !ended) {
            ended = ::waitpid(child, &status, WNOHANG) == child;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(ended) << what << ": qvrlib ended before it wrote anything";
        ::kill(child, c.Signal);
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.Signal) << what;
        // A split leaves whole files of one preset each; a join nothing.
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            if (c.Args[0] != "split" || name.front() == '.' ||
                ReadFileBytes(entry.path()) != preset) {
                left.push_back(name);
            }
        }
        EXPECT_EQ(left, std::vector<std::string>{}) << what;
    }
}

// Presets of one number and name get the names after those taken, each its own; nothing
// there, not even a dangling link, is replaced or followed.
TEST_F(LibTest, SplitGivesSameNamedPresetsTheNextFreeNames) {
    const std::string preset = PresetHeader(6, "Lead").Str();
    const std::string file = Temp.Write("same.q3a", preset + preset + preset + preset);
    const fs::path parts = Dir / "parts";
    WriteFileBytes(parts / "07 Lead (2).q3p", "mine");
    fs::create_symlink(Dir / "nowhere", parts / "07 Lead (3).q3p");
    const TLibRun run = Run({"split", file, parts.string()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> names = {"07 Lead.q3p", "07 Lead (4).q3p", "07 Lead (5).q3p",
                                            "07 Lead (6).q3p"};
    std::string listed;
    for (const std::string& name : names) {
        listed += (parts / name).string() + "\n";
        EXPECT_EQ(ReadFileBytes(parts / name), preset) << name;
    }
    EXPECT_EQ(run.Out, listed);
    EXPECT_EQ(ReadFileBytes(parts / "07 Lead (2).q3p"), "mine");
    EXPECT_TRUE(fs::is_symlink(parts / "07 Lead (3).q3p"));
    EXPECT_FALSE(fs::exists(Dir / "nowhere"));
    EXPECT_EQ(Listing(parts).size(), 6u);
}

TEST_F(LibTest, SendChecksAndListsBeforeAnyMidi) {
    const std::string bad = Temp.Write("bad.q3p", PresetHeader(1, "B").BadChecksum().Str());
    const std::string bigMessage = Msg(0x2A).Plain().Body(Bytes(9000, 0x01)).Str();
    const std::string big = Temp.Write("big.q3p", PresetHeader(0, "Big").Str() + bigMessage);
    const std::string tryHelp = "Try 'qvrlib send --help' for more information.\n";
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
        std::string Err;
    };
    const std::vector<TCase> cases = {
        {{"send", "--dry-run", Examples + "stage.q1p"},
         0,
         "QVR-1: 1 preset, 9 messages, 664 bytes\n  #12  Stage <Rig> & More\n"
         "9 events, 100 ms after each: about 0.9 s\n",
         "qvrlib send: dry run: nothing sent\n"},
        // One preset of a backup.
        {{"send", "-n", "-c", "100", "-i", "20", Examples + "backup.k3a:26"},
         0,
         "KDT-3: 1 preset, 3 messages, 116 bytes\n  #26  Converted\n"
         "3 events, 20 ms after each: about 0.1 s\n",
         "qvrlib send: dry run: nothing sent\n"},
        // Messages of 196, 114 and 375 bytes go in 2, 2 and 4 pieces of 100, ten more whole.
        {{"send", "-n", "--chunk=100", Examples + "showcase.q3p"},
         0,
         "QVR-3: 1 preset, 13 messages, 1038 bytes\n  #03  Glassy & <Clean> \"Duo\"\n"
         "18 events, 100 ms after each: about 1.8 s\n",
         "qvrlib send: dry run: nothing sent\n"},
        // Whole, a message longer than a MIDI event is refused; in pieces it goes.
        {{"send", "-n", "--chunk", "0", big},
         1,
         "",
         "error: " + big + ": message 2 of 2 (preset #01  Big) is " +
             std::to_string(bigMessage.size()) +
             " bytes long, more than the 8192 bytes a MIDI event carries whole; send it in "
             "pieces\nqvrlib send: nothing sent\n"},
        {{"send", "-n", bad},
         1,
         "",
         "error: " + bad + ": Bad checksum\nqvrlib send: nothing sent\n"},
        {{"send", "-n", Examples + "stage.q1p:3"},
         1,
         "",
         "error: " + Examples + "stage.q1p: there is no preset 3\nqvrlib send: nothing sent\n"},
        {{"send", Examples + "stage.q1p"},
         2,
         "",
         "qvrlib send: missing --port NAME ('qvrlib send --list' shows the ports)\n" + tryHelp},
        {{"send", "-p", "x", Examples + "stage.q1p"},
         2,
         "",
         "qvrlib send: standard input is not a terminal: --yes sends without asking\n" + tryHelp},
        {{"send", "-n", "--interval", "10001", Examples + "stage.q1p"},
         2,
         "",
         "qvrlib send: invalid interval '10001' (must be 0 to 10000 milliseconds)\n" + tryHelp},
        {{"send", "-n", "--chunk", "-1", Examples + "stage.q1p"},
         2,
         "",
         "qvrlib send: invalid chunk size '-1' (must be 0 to 8192 bytes)\n" + tryHelp},
    };
    for (const TCase& c : cases) {
        const TLibRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out, c.Out) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Err, c.Err) << testing::PrintToString(c.Args);
    }
}

TEST_F(LibTest, ControlCharactersInNamesAreShownEscaped) {
    // A preset whose name clears the screen, in a file whose name holds a line feed and would
    // fake a result line of its own.
    const std::string file =
        Temp.Write("x\nfake.q3p:9  QVR-3  #09 y.q3p", PresetHeader(0, "\x1b[2J\x1b[H PWNED").Str());
    const std::string shownFile = Dir.string() + "/x\\x0afake.q3p:9  QVR-3  #09 y.q3p";
    const std::string shownName = "\\x1b[2J\\x1b[H PWNED";
    ASSERT_EQ(Run({"add", file}).Status, 0);
    struct TCase {
        std::vector<std::string> Args;
        std::string Exe;
        std::string Shown; // a line of standard output, or its start
    };
    const TCase cases[] = {
        {{"send", "--dry-run", file}, QVRLIB_PATH, "  #01  " + shownName + "\n"},
        {{"search", "PWNED"}, QVRLIB_PATH, shownFile + ":1  QVR-3  #01 " + shownName + "\n"},
        {{"list"}, QVRLIB_PATH, "QVR-3          1 presets  " + shownFile + "\n"},
        {{"--format", "text", file}, QVRREPORT_PATH, "QVR-3 Preset #01  " + shownName + "\n"},
        {{"--compare", file, Examples + "showcase.q3p"},
         QVRREPORT_PATH,
         "Removed: Preset #01  " + shownName + "\n"},
    };
    for (const TCase& c : cases) {
        const TLibRun run = Run(c.Args, c.Exe);
        EXPECT_NE(run.Out.find(c.Shown), std::string::npos) << c.Args[0] << "\n" << run.Out;
        EXPECT_EQ(run.Out.find('\x1b'), std::string::npos) << c.Args[0];
        EXPECT_EQ(run.Err.find('\x1b'), std::string::npos) << c.Args[0];
    }
    // Messages about the file name it escaped too; the data formats keep the exact bytes.
    std::filesystem::rename(file, file + ".gone");
    const TLibRun missing = Run({file}, QVRREPORT_PATH);
    EXPECT_EQ(missing.Err.rfind("error: " + Dir.string() + "/x\\x0afake.q3p:9", 0), 0u)
        << missing.Err;
    EXPECT_NE(Run({"--format", "json", file + ".gone"}, QVRREPORT_PATH).Out.find("\\u001b[2J"),
              std::string::npos);
}

TEST_F(LibTest, HistoryDuplicatesAndUniqueSearchOfACopiedBackup) {
    // An old backup, and a new one that took two of its presets unchanged.
    const fs::path folder = Dir / "files";
    const std::string old = (folder / "old.q3a").string();
    const std::string now = (folder / "new.q3a").string();
    WriteFileBytes(old, ReadFileBytes(Examples + "backup.q3a"));
    ASSERT_EQ(Run({"join", now, Examples + "backup.q3a:4", Examples + "backup.q3a:5"}).Status, 0);
    fs::last_write_time(old, fs::last_write_time(now) - std::chrono::hours(24));
    const std::string db = "--database=" + (Dir / "lib.sqlite").string();
    ASSERT_EQ(
        Run({"add", db, "-d", std::string(QVR_EXAMPLES_DIR) + "/config", folder.string()}).Status,
        0);
    const std::string lead = "  QVR-3  #04 Lead 1\n";
    const std::string clean = "  QVR-3  #05 Clean 2\n";
    const std::string envelope = "{\n  \"format\": \"qvr-history\",\n  \"version\": 1,\n  "
                                 "\"tool\": {\"name\": \"qvrlib\", \"version\": \"";
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Out; // the start of standard output, for JSON
        std::string Err;
    } cases[] = {
        {{"duplicates", db},
         0,
         "2 copies\n  " + old + ":4" + lead + "  " + now + ":4" + lead + "\n2 copies\n  " + old +
             ":5" + clean + "  " + now + ":5" + clean,
         ""},
        {{"history", db, now + ":4"},
         0,
         old + ":4" + lead + now + ":4" + lead + "  (unchanged)\n",
         ""},
        // The newest of each content once, with its copies; those of the old file alone as before.
        {{"search", db, "--unique", "--limit", "2", "lead"},
         0,
         now + ":4" + lead + "    2 copies:\n      " + old + ":4" + lead + "      " + now + ":4" +
             lead + old + ":8  QVR-3  #08 Lead 2\n",
         ""},
        {{"search", db, "--unique", "--count", "lead"}, 0, "6\n", ""},
        {{"search", db, "--count", "lead"}, 0, "7\n", ""},
        {{"history", db, "--format", "json", now + ":5"}, 0, envelope, ""},
        {{"history", db, now + ":7"},
         1,
         "",
         "qvrlib history: the library has no preset 7 in " + now + "\n"},
        {{"history", db, now},
         2,
         "",
         "qvrlib history: '" + now + "' names no preset (FILE:N, N from 0 to 254)\n"},
        // By a query: every preset found, each with all its versions once, newest first.
        {{"history", db, "lead"},
         0,
         old + ":4" + lead + now + ":4" + lead + "  (unchanged)\n\n" + old +
             ":8  QVR-3  #08 Lead 2\n\n",
         ""},
        {{"history", db, "--format", "json", "clean"}, 0, envelope, ""},
        {{"history", db, "violin"}, 1, "", ""},
        {{"history", db, "AND"}, 2, "", "qvrlib history: the query is empty\n"},
        {{"duplicates", db, "extra"}, 2, "", "qvrlib duplicates: extra operand 'extra'\n"},
    };
    for (const auto& c : cases) {
        const TLibRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out.substr(0, c.Out.size()), c.Out) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out.empty(), c.Out.empty()) << run.Out;
        EXPECT_EQ(run.Err.substr(0, c.Err.size()), c.Err) << testing::PrintToString(c.Args);
    }
    // The JSON versions: both, the second with no changes.
    const TLibRun json = Run({"history", db, "--format=json", now + ":5"});
    EXPECT_NE(json.Out.find("\"preset\": \"" + now + ":5\",\n  \"versions\": [\n    {\"file\": \"" +
                            old +
                            "\", \"position\": 5, \"number\": 5, \"model\": \"QVR-3\", "
                            "\"name\": \"Clean 2\", \"read\": true, \"changes\": []},\n    "
                            "{\"file\": \"" +
                            now + "\", \"position\": 2,"),
              std::string::npos)
        << json.Out;
    const TLibRun histories = Run({"history", db, "--format=json", "clean"});
    EXPECT_NE(histories.Out.find("\"query\": \"clean\",\n  \"histories\": [\n    {\"versions\": [\n"
                                 "      {\"file\": \"" +
                                 old + "\", \"position\": 5,"),
              std::string::npos)
        << histories.Out;
    EXPECT_NE(histories.Out.find("\"read\": true, \"changes\": []}\n    ]},\n    {\"versions\": ["),
              std::string::npos)
        << histories.Out;
}

TEST_F(LibTest, LibraryRefusesALargeFileAndALongQuery) {
    const fs::path folder = Dir / "files";
    WriteFileBytes(folder / "stage.q1p", ReadFileBytes(Examples + "stage.q1p"));
    const std::string large = (folder / "large.q3a").string();
    WriteFileBytes(large, "");
    ASSERT_EQ(::truncate(large.c_str(), (off_t{256} << 20) + 1), 0);
    const std::string db = "--database=" + (Dir / "lib.sqlite").string();
    std::vector<std::string> search = {"search", db};
    for (int i = 0; i < 257; ++i) {
        search.emplace_back("x");
    }
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
        std::string Err;
    } cases[] = {
        {{"add", db, "-d", std::string(QVR_EXAMPLES_DIR) + "/config", folder.string()},
         1,
         "2 files: 1 added, 0 updated, 0 unchanged, 0 removed; 1 with errors; 1 not readable\n",
         "error: " + large + ": the file is larger than 256 MiB\n"},
        {search, 2, "", "qvrlib search: a query may have at most 256 terms\n"},
        // A file's messages as qvrreport shows them: every line naming the file and preset.
        {{"add", db, "-d", std::string(QVR_EXAMPLES_DIR) + "/config", Examples + "backup.k3a"},
         0,
         "1 file: 1 added, 0 updated, 0 unchanged, 0 removed\n",
         "warning: " + Examples +
             "backup.k3a: preset 26: Exp, LFO, or Control Switch link is "
             "out of range.\nwarning: " +
             Examples +
             "backup.k3a: preset 26: Patch may have been "
             "incorrectly converted from a different Oktrel(tm) product.\nwarning: " +
             Examples +
             "backup.k3a: preset 26: Therefore, the information presented may be incomplete.\n"},
    };
    for (const auto& c : cases) {
        const TLibRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args[0];
        EXPECT_EQ(run.Out, c.Out) << c.Args[0];
        EXPECT_EQ(run.Err.substr(0, c.Err.size()), c.Err) << c.Args[0];
    }
}

} // namespace
} // namespace qvr::test
