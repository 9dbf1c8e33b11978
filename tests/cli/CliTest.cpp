#include "tests/support/MessageBuilder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

const uint8_t Qvr3 = 0x5A;
const std::string EmptyDocument = "    </td>\n</table>\n";
const std::string TableStartPrefix = "<table width=\"100%\" class=\"preset\"";

// Enough of a configuration for one amp and one modifier.
const char* const ConfigText = "device\npresets\ncomponents\nfx\n"
                               "cn = Amp\ncid = 1\ntypes\ntn = Clean\ntid = 10\n"
                               "params\ntid = 10\npn = Gain\nscm = 0.5\n"
                               "cn = Chorus\ncid = 3\n"
                               "qvr\nmodifiers\nmn = Expression\nmid = 1\n";

std::string Message(uint8_t messageId, const Bytes& payload, uint8_t product = Qvr3) {
    return Msg(messageId).Product(product).Body(payload).Str();
}

std::string Header(uint8_t index, const std::string& name) {
    return PresetHeader(index, name).Str();
}

const std::string TryHelp = "Try 'qvrreport --help' for more information.\n";

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs the exporter in an isolated folder with a settings store of its own.
class CliTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Dir / "home" / ".config");
        WriteFileBytes(Dir / "cfg" / "QVR3.cfg", ConfigText);
    }

    std::string Preset(const std::string& content) const {
        WriteFileBytes(Dir / "preset.q3p", content);
        return (Dir / "preset.q3p").string();
    }

    std::string ConfigDir() const { return (Dir / "cfg").string(); }

    // Without a display, whatever the test runs under.
    TRun Run(const std::vector<std::string>& args, const std::string& exe = QVRREPORT_PATH,
             const std::string& locale = "C", const std::string& input = "/dev/null",
             const std::string& output = {}) {
        std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=" + locale + " HOME='" +
            (Dir / "home").string() + "' XDG_CONFIG_HOME='" + (Dir / "home" / ".config").string() +
            "' '" + exe + "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command += " <'" + input + "' >'" + (output.empty() ? (Dir / "out").string() : output) +
                   "' 2>'" + (Dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        TRun run;
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = output.empty() ? ReadFileBytes(Dir / "out") : "";
        run.Err = ReadFileBytes(Dir / "err");
        return run;
    }

    TTempFolder Temp;
    const fs::path Dir = Temp.Path();
};

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const std::string file = Preset("");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--columns", "0", file},
        {"--columns", "5", file},
        {"--columns", "x", file},
        {"--columns=", file},
        {file, "--columns"},
        {"--output"},
        {"--colour", file},
        {file, file},
        {"--help=yes"},
    };
    for (const auto& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.Out, "") << testing::PrintToString(args);
        EXPECT_NE(run.Err.find("Try 'qvrreport --help' for more information."), std::string::npos)
            << run.Err;
    }
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutput) {
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: qvrreport [--columns N]", 0), 0u) << help.Out;
    EXPECT_EQ(help.Err, "");

    const TRun version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    // The first line names the program, the package and its version.
    EXPECT_EQ(version.Out.rfind("qvrreport (Oktrel(tm) Preset Viewer) 1.1", 0), 0u) << version.Out;
    EXPECT_NE(version.Out.find("\nCopyright "), std::string::npos) << version.Out;
    EXPECT_EQ(version.Err, "");
}

// What every program does alike: help, version, usage errors, messages that name their file.
TEST_F(CliTest, EveryProgramKeepsTheConvention) {
    const std::string missing = (Dir / "none.q3a").string();
    const std::string empty = Preset("");
    const std::string folder = (Dir / "cfg").string();
    const std::string garbage = (Dir / "garbage.q3a").string();
    WriteFileBytes(garbage, "\x01");
    struct TCase {
        std::string Program;
        std::vector<std::string> Args;
        int Status;
        std::string OutStart;
        std::string Err; // exact; "Try" stands for the line that points to --help
        std::string Output = {};
    };
    // Where no output can be made: a folder under a file.
    const std::string unwritable = (Dir / "preset.q3p" / "out.q3a").string();
    const std::string backup = std::string(QVR_EXAMPLES_DIR) + "/presets/backup.q3a";
    std::vector<std::string> programs = {"qvrreport", "qvrlib"};
#ifdef QVRCAPTURE_PATH
    programs.push_back("qvrcapture");
#endif
#ifdef QVRVIEWER_PATH
    programs.push_back("qvrviewer");
#endif
    std::vector<TCase> cases;
    for (const std::string& p : programs) {
        if (p == "qvrlib") {
            continue; // its commands are in the table below
        }
        const std::string version = p + " (Oktrel(tm) Preset Viewer) 1.1";
        cases.push_back({p, {"--help"}, 0, "Usage: " + p + " ", ""});
        cases.push_back({p, {"-h"}, 0, "Usage: " + p + " ", ""});
        cases.push_back({p, {"--version"}, 0, version, ""});
        cases.push_back({p, {"-V"}, 0, version, ""});
        cases.push_back({p, {"--bogus"}, 2, "", p + ": unrecognized option '--bogus'\nTry"});
        cases.push_back({p, {"-x"}, 2, "", p + ": invalid option -- 'x'\nTry"});
        if (fs::exists("/dev/full")) {
            const std::string full = p + ": write error: No space left on device\n";
            cases.push_back({p, {"--help"}, 2, "", full, "/dev/full"});
            cases.push_back({p, {"--version"}, 2, "", full, "/dev/full"});
        }
    }
    const std::vector<TCase> own = {
        {"qvrreport",
         {"--compare", "-c2", empty, empty},
         2,
         "",
         "qvrreport: option '--columns' does not apply to --compare\nTry"},
        {"qvrreport",
         {"-d", missing, empty},
         2,
         "",
         "qvrreport: cannot use the configuration folder '" + missing +
             "': No such file or directory\nTry"},
        {"qvrreport", {missing}, 1, "", "error: " + missing + ": No such file or directory\n"},
        {"qvrreport", {folder}, 1, "", "error: " + folder + ": Is a directory\n"},
        {"qvrreport", {empty}, 0, "", "warning: " + empty + ": the file holds no presets\n"},
        {"qvrreport", {"-"}, 0, "", "warning: standard input: the file holds no presets\n"},
        {"qvrreport",
         {garbage},
         1,
         "",
         "error: " + garbage + ": Invalid system exclusive format\n"},
        {"qvrreport",
         {"--compare", empty, garbage},
         2,
         "",
         "error: " + garbage + ": Invalid system exclusive format\n"},
        {"qvrcapture",
         {"--list", "--port", "x"},
         2,
         "",
         "qvrcapture: option '--port' does not apply to --list\nTry"},
        {"qvrviewer",
         {empty},
         1,
         "",
         "qvrviewer: cannot open a display; qvrreport writes the same report\n"},
        // One form of message in every program: a file that is missing, an output that
        // cannot be written, an option that is unknown or does not apply.
        {"qvrreport",
         {"-o", unwritable, empty},
         2,
         "",
         "warning: " + empty + ": the file holds no presets\nerror: " + unwritable +
             ": cannot write: Not a directory\n"},
        {"qvrreport",
         {"-d", empty, empty},
         2,
         "",
         "qvrreport: cannot use the configuration folder '" + empty + "': Not a directory\nTry"},
        {"qvrlib",
         {"split", missing},
         1,
         "",
         "error: " + missing + ": No such file or directory\n"},
        {"qvrlib",
         {"split", backup, unwritable},
         2,
         "",
         "error: " + unwritable + ": cannot create the folder: Not a directory\n"},
        {"qvrlib", {"split", "--bogus"}, 2, "", "qvrlib split: unrecognized option '--bogus'\nTry"},
        {"qvrlib",
         {"join", (Dir / "j.q3a").string(), missing},
         1,
         "",
         "error: " + missing + ": No such file or directory\n"},
        {"qvrlib",
         {"join", unwritable, backup},
         2,
         "",
         "error: " + unwritable + ": cannot write: Not a directory\n"},
        {"qvrlib",
         {"join", (Dir / "j.q3a").string(), backup + ":99"},
         1,
         "",
         "error: " + backup + ": there is no preset 99\n"},
        {"qvrlib",
         {"send", "-n", missing},
         1,
         "",
         "error: " + missing + ": No such file or directory\n"},
        {"qvrlib",
         {"send", "-n", backup + ":99"},
         1,
         "",
         "error: " + backup + ": there is no preset 99\nqvrlib send: nothing sent\n"},
        {"qvrlib",
         {"send", "--list", "--port", "x"},
         2,
         "",
         "qvrlib send: option '--port' does not apply to --list\nTry"},
        {"qvrlib",
         {"send", "-p", "x", "-"},
         2,
         "",
         "qvrlib send: FILE is standard input: --yes sends without asking\nTry"},
        {"qvrlib", {"--bogus"}, 2, "", "qvrlib: unrecognized option '--bogus'\nTry"},
        {"qvrcapture",
         {unwritable},
         2,
         "",
         "error: " + unwritable + ": cannot write: Not a directory\n"},
        {"qvrviewer", {missing}, 1, "", "error: " + missing + ": No such file or directory\n"},
    };
    for (const TCase& c : own) {
        if (std::find(programs.begin(), programs.end(), c.Program) != programs.end()) {
            cases.push_back(c);
        }
    }
    for (TCase& c : cases) {
        if (c.Err.ends_with("Try")) {
            const bool command = c.Program == "qvrlib" && !c.Args[0].starts_with("-");
            c.Err += " '" + c.Program + (command ? " " + c.Args[0] : "") +
                     " --help' for more information.\n";
        }
        const std::string exe = c.Program == "qvrreport" ? QVRREPORT_PATH
                                : c.Program == "qvrlib"  ? QVRLIB_PATH
#ifdef QVRCAPTURE_PATH
                                : c.Program == "qvrcapture" ? QVRCAPTURE_PATH
#endif
#ifdef QVRVIEWER_PATH
                                : c.Program == "qvrviewer" ? QVRVIEWER_PATH
#endif
                                                           : "";
        const TRun run = Run(c.Args, exe, "C", "/dev/null", c.Output);
        const std::string what = c.Program + " " + testing::PrintToString(c.Args);
        EXPECT_EQ(run.Status, c.Status) << what;
        EXPECT_EQ(run.Out.substr(0, c.OutStart.size()), c.OutStart) << what;
        EXPECT_EQ(run.Err, c.Err) << what;
        if (c.Args[0] == "--version" && c.Status == 0) {
            EXPECT_NE(run.Out.find("\nLicense GPLv3+: GNU GPL version 3 or later"),
                      std::string::npos)
                << what;
        }
    }
}

TEST_F(CliTest, HelpAndVersionActWhereTheyStand) {
    // As with getopt_long: options are taken left to right, and --help or
    // --version ends the program at once, whatever follows it.
    const std::string file = Preset("");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutStart;
    };
    const std::vector<TCase> cases = {
        {{"--help", "--bogus"}, 0, "Usage: qvrreport"},
        {{"--help", "--columns", "9", file, file}, 0, "Usage: qvrreport"},
        {{"--version", "--help"}, 0, "qvrreport ("},
        {{"--help", "--version"}, 0, "Usage: qvrreport"},
        {{file, "--version"}, 0, "qvrreport ("},
        {{"--bogus", "--help"}, 2, ""},
        {{"--columns", "9", "--version"}, 2, ""},
    };
    for (const TCase& c : cases) {
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out.substr(0, c.OutStart.size()), c.OutStart)
            << testing::PrintToString(c.Args);
    }
}

TEST_F(CliTest, LongOptionsTakeUniqueAbbreviations) {
    const std::string file = Preset(Header(0, "A"));
    const TRun run =
        Run({"--col", "2", "--conf=" + ConfigDir(), "--out", (Dir / "r").string(), file});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(ReadFileBytes(Dir / "r").find("colspan=\"2\""), std::string::npos);
    EXPECT_EQ(Run({"--he"}).Out.rfind("Usage: qvrreport", 0), 0u);
    // "--c" could be --columns or --config-dir.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--c", "2", file}}) {
        const TRun bad = Run(args);
        EXPECT_EQ(bad.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(bad.Out, "") << testing::PrintToString(args);
    }
}

TEST_F(CliTest, ReportGoesToStandardOutputWithoutMessages) {
    const std::string file =
        Preset(Header(4, "Clean") + Message(0x24, {0, 0, 0, 1, 1, 0, 0, 10, 2, 0, 7}));
    const TRun run = Run({"--config-dir", ConfigDir(), file});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out.rfind(TableStartPrefix, 0), 0u) << run.Out;
    EXPECT_NE(run.Out.find("colspan=\"4\" bgcolor=#EEEEEE align=\"center\">QVR-3 Preset "
                           "#05</th></tr>"),
              std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("      Gain = 3.5<br>\n"), std::string::npos) << run.Out;
}

TEST_F(CliTest, NumbersUseTheDecimalSeparatorOfTheUsersLocale) {
    const char* const german = "de_DE.utf8";
    try {
        std::locale probe(german);
    } catch (const std::exception&) {
        GTEST_SKIP() << "locale " << german << " is not installed";
    }
    const std::string file =
        Preset(Header(0, "A") + Message(0x24, {0, 0, 0, 1, 1, 0, 0, 10, 2, 0, 7}));
    const TRun run = Run({"--config-dir", ConfigDir(), file}, QVRREPORT_PATH, german);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("      Gain = 3,5<br>\n"), std::string::npos) << run.Out;
}

TEST_F(CliTest, ColumnsAndOutputFile) {
    const std::string file = Preset(Header(0, "A"));
    const std::string output = (Dir / "report.html").string();
    const TRun run = Run({"--columns=2", "--output", output, "--config-dir=" + ConfigDir(), file});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    const std::string document = ReadFileBytes(output);
    EXPECT_NE(document.find("colspan=\"2\""), std::string::npos) << document;
    // The same document as on standard output.
    EXPECT_EQ(Run({"--columns", "2", "--config-dir", ConfigDir(), file}).Out, document);
}

TEST_F(CliTest, ErrorsAreShownInOrderAndExitWithOne) {
    const std::string file = Preset(Message(0x21, {0, 0, 0, 'A', 0, 0, 0, 0, 0}) +
                                    Message(0x0B, {1}) + Message(0x21, {1}, 0x57));
    const TRun run = Run({"--config-dir", ConfigDir() + "/", file});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "error: " + file + ": preset 1: Inconsistent product Id's in file\n");
    // What was gathered before the error is still written.
    EXPECT_NE(run.Out.find("*** UNKNOWN datum 0B ***"), std::string::npos) << run.Out;

    const TRun frame = Run({"--config-dir", ConfigDir(), "-"}, QVRREPORT_PATH, "C", Preset("\x01"));
    EXPECT_EQ(frame.Status, 1);
    EXPECT_EQ(frame.Err, "error: standard input: Invalid system exclusive format\n");
    EXPECT_EQ(frame.Out, EmptyDocument);
    // Into a file, a report that met an error replaces nothing: the earlier one is kept.
    const std::string kept = (Dir / "kept.html").string();
    WriteFileBytes(kept, "earlier report");
    const TRun into = Run({"--config-dir", ConfigDir(), "-o", kept, file});
    EXPECT_EQ(into.Status, 1);
    EXPECT_EQ(into.Err, "error: " + file + ": Invalid system exclusive format\nqvrreport: '" +
                            kept + "' left as it was\n");
    EXPECT_EQ(ReadFileBytes(kept), "earlier report");
}

TEST_F(CliTest, WarningsAloneExitWithZero) {
    // A link to the Chorus, which has no type names, in a preset numbered 1 and in the second
    // preset, which has no number.
    const std::string link = Message(0x24, {0, 0, 0, 1, 3, 0, 0, 0, 1, 0}) +
                             Message(0x26, {0, 0, 0, 1, 1, 0, 1, 0, 1, 1, 5, 0});
    const std::string file = Preset(Header(0, "A") + link + Header(254, "B") + link);
    const TRun run = Run({"--config-dir", ConfigDir(), file});
    EXPECT_EQ(run.Status, 0);
    // Every line of the message is marked and names the file and the preset.
    std::string expected;
    for (const std::string preset : {"preset 1", "preset at place 2"}) {
        const std::string prefix = "warning: " + file + ": " + preset + ": ";
        expected += prefix + "Exp, LFO, or Control Switch link is out of range.\n" + prefix +
                    "Patch may have been incorrectly converted from a different Oktrel(tm) "
                    "product.\n" +
                    prefix + "Therefore, the information presented may be incomplete.\n";
    }
    EXPECT_EQ(run.Err, expected);
    EXPECT_NE(run.Out.find("Linked param undefined"), std::string::npos) << run.Out;
}

TEST_F(CliTest, ExceptionIsShownWithAFullStopAndNoDocument) {
    WriteFileBytes(Dir / "cfg" / "QVR3.cfg",
                   "device\npresets\ncomponents\nfx\ncn =\nqvr\nmodifiers\n");
    const std::string output = (Dir / "report.html").string();
    const std::string file = Preset(Header(0, "A"));
    const TRun run = Run({"--config-dir", ConfigDir(), "--output", output, file});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "error: " + file + ": Range check error.\n");
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(fs::exists(output));
    // An earlier report stays as it was, and no temporary file is left beside it.
    WriteFileBytes(output, "old report");
    EXPECT_EQ(Run({"--config-dir", ConfigDir(), "--output", output, file}).Status, 1);
    EXPECT_EQ(ReadFileBytes(output), "old report");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"cfg", "err", "home", "out", "preset.q3p", "report.html"}));
}

TEST_F(CliTest, UnwritableOutputExitsWithTwo) {
    const std::string file = Preset(Header(0, "A"));
    for (const std::string& output : {(Dir / "missing" / "r.html").string(), Dir.string()}) {
        const TRun run = Run({"--config-dir", ConfigDir(), "--output", output, file});
        EXPECT_EQ(run.Status, 2) << output;
        EXPECT_NE(run.Err.find("error: " + output + ": cannot write: "), std::string::npos)
            << run.Err;
    }
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(Run({"--config-dir", ConfigDir(), "--output", "/dev/full", file}).Status, 2);
    }
}

TEST_F(CliTest, OutputThatIsAnInputIsRefusedAndBothAreKept) {
    const std::string preset = Header(0, "A");
    const std::string file = Preset(preset);
    fs::create_hard_link(file, Dir / "hard.q3p");
    fs::create_symlink(file, Dir / "soft.html");
    fs::create_symlink(Dir / "cfg", Dir / "cfglink");
    const std::string outputs[] = {
        file,
        (Dir / "hard.q3p").string(),
        (Dir / "soft.html").string(),
        (Dir / "cfg" / "QVR3.cfg").string(),
        (Dir / "cfglink" / "QVR3.cfg").string(),
    };
    for (const std::string& output : outputs) {
        const TRun run = Run({"--config-dir", ConfigDir(), "--output", output, file});
        EXPECT_EQ(run.Status, 2) << output;
        const std::string input = output.ends_with(".cfg")
                                      ? "the configuration file '" + ConfigDir() + "/QVR3.cfg'"
                                      : "the preset file '" + output + "'";
        EXPECT_EQ(run.Err, "qvrreport: the report would replace " + input +
                               "; choose another output file\n" + TryHelp)
            << output;
        EXPECT_EQ(run.Out, "") << output;
        EXPECT_EQ(ReadFileBytes(file), preset) << output;
        EXPECT_EQ(ReadFileBytes(Dir / "cfg" / "QVR3.cfg"), ConfigText) << output;
    }
    // The settings file counts too: the report reads the editor's folder from it.
    const fs::path settings = Dir / "home" / ".config" / "oktrel" / "registry.reg";
    WriteFileBytes(settings, "REGEDIT4\n");
    EXPECT_EQ(Run({"--config-dir", ConfigDir(), "--output", settings.string(), file}).Err,
              "qvrreport: the report would replace the settings file '" + settings.string() +
                  "'; choose another output file\n" + TryHelp);
    EXPECT_EQ(ReadFileBytes(settings), "REGEDIT4\n");
    // A configuration file of another model counts too, and so does the program's own folder.
    WriteFileBytes(Dir / "cfg" / "KDT3.cfg", "kept");
    EXPECT_EQ(
        Run({"--config-dir", ConfigDir(), "--output", (Dir / "cfg" / "KDT3.cfg").string(), file})
            .Status,
        2);
    EXPECT_EQ(ReadFileBytes(Dir / "cfg" / "KDT3.cfg"), "kept");
    fs::create_directories(Dir / "bin");
    fs::copy_file(QVRREPORT_PATH, Dir / "bin" / "qvrreport");
    WriteFileBytes(Dir / "bin" / "QVR1.cfg", "kept");
    EXPECT_EQ(Run({"--output", (Dir / "bin" / "QVR1.cfg").string(), file},
                  (Dir / "bin" / "qvrreport").string())
                  .Status,
              2);
    EXPECT_EQ(ReadFileBytes(Dir / "bin" / "QVR1.cfg"), "kept");
}

TEST_F(CliTest, CopiedProgramLooksBesideItselfForTheConfiguration) {
    fs::create_directories(Dir / "bin");
    const fs::path copy = Dir / "bin" / "qvrreport";
    fs::copy_file(QVRREPORT_PATH, copy);
    const std::string file = Preset(Header(0, "A"));

    const TRun missing = Run({file}, copy.string());
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "error: " + file + ": Unable to access product configuration file, " +
                               (Dir / "bin" / "QVR3.cfg").string() + ".\nerror: " + file +
                               ": You may need to install Korvane's Kelvaro program.\n");
    EXPECT_EQ(missing.Out, EmptyDocument);

    WriteFileBytes(Dir / "bin" / "QVR3.cfg", ConfigText);
    const TRun found = Run({file}, copy.string());
    EXPECT_EQ(found.Status, 0) << found.Err;
    EXPECT_EQ(found.Out.rfind(TableStartPrefix, 0), 0u);
}

TEST_F(CliTest, ShortOptionsAsGetoptTakesThem) {
    const std::string file = Preset(Header(0, "A"));
    const std::string out = (Dir / "r.html").string();
    const std::string dir = ConfigDir();
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutStart; // of standard output
        std::string Err;
    };
    const std::string Try = "Try 'qvrreport --help' for more information.\n";
    const std::vector<TCase> cases = {
        {{"-c", "2", "-d", dir, "-o", out, file}, 0, "", ""},
        {{"-c2", "-d" + dir, "-o" + out, file}, 0, "", ""},
        {{file, "-o", out, "-c2", "--config-dir", dir}, 0, "", ""},
        {{"-h"}, 0, "Usage: qvrreport", ""},
        {{"-V", "--bogus"}, 0, "qvrreport (", ""},
        {{"-hV"}, 0, "Usage: qvrreport", ""},
        {{file, "-c"}, 2, "", "qvrreport: option requires an argument -- 'c'\n" + Try},
        {{"-x", file}, 2, "", "qvrreport: invalid option -- 'x'\n" + Try},
        {{"-c5", file}, 2, "", "qvrreport: invalid column count '5' (must be 1 to 4)\n" + Try},
    };
    for (const TCase& c : cases) {
        fs::remove(out);
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status) << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Out.substr(0, c.OutStart.size()), c.OutStart)
            << testing::PrintToString(c.Args);
        EXPECT_EQ(run.Err, c.Err) << testing::PrintToString(c.Args);
        if (c.Status == 0 && c.OutStart.empty()) {
            EXPECT_NE(ReadFileBytes(out).find("colspan=\"2\""), std::string::npos);
        }
    }
}

TEST_F(CliTest, DashReadsStandardInput) {
    const std::string file = Preset(Header(0, "A") + Header(1, "B"));
    const TRun named = Run({"-d", ConfigDir(), file});
    ASSERT_EQ(named.Status, 0) << named.Err;
    const TRun piped = Run({"-d", ConfigDir(), "-"}, QVRREPORT_PATH, "C", file);
    EXPECT_EQ(piped.Status, 0) << piped.Err;
    EXPECT_EQ(piped.Out, named.Out);
    // "--" ends the options; "-" after it is still standard input.
    EXPECT_EQ(Run({"-d", ConfigDir(), "--", "-"}, QVRREPORT_PATH, "C", file).Out, named.Out);
}

TEST_F(CliTest, UnopenablePresetFileIsAnErrorWithoutDocument) {
    const std::string missing = (Dir / "nothing.q3p").string();
    const std::string folder = (Dir / "cfg").string();
    const std::string out = (Dir / "r.html").string();
    // Refused by its size before a byte of it is read.
    const std::string large = (Dir / "large.q3a").string();
    WriteFileBytes(large, "");
    ASSERT_EQ(::truncate(large.c_str(), (off_t{256} << 20) + 1), 0);
    for (const auto& [file, reason] :
         {std::pair<std::string, std::string>{missing, "No such file or directory"},
          {folder, "Is a directory"},
          {large, "the file is larger than 256 MiB"}}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{file}, {"-o", out, file}}) {
            const TRun run = Run(args);
            EXPECT_EQ(run.Status, 1) << file;
            EXPECT_EQ(run.Err, "error: " + file + ": " + reason + "\n");
            EXPECT_EQ(run.Out, "");
            EXPECT_FALSE(fs::exists(out)) << file;
        }
    }
}

TEST_F(CliTest, AFifoIsOpenedWithoutWaiting) {
    // A FIFO that nobody writes is opened without waiting, and holds nothing.
    const std::string fifo = (Dir / "fifo.q3a").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TRun empty = Run({"-d", ConfigDir(), fifo});
    EXPECT_EQ(empty.Status, 0) << empty.Err;
    EXPECT_EQ(empty.Err, "warning: " + fifo + ": the file holds no presets\n");
}

const std::string Examples = QVR_EXAMPLES_DIR;
const std::string ExampleConfig = Examples + "/config";
const std::string ExampleBackup = Examples + "/presets/backup.q3a";

// The example backup with three parameter bytes changed in presets #01 and #03, #02
// renamed and #04 left out.
std::string ChangedBackup() {
    std::vector<Msg> messages = SplitMessages(ReadFileBytes(ExampleBackup));
    messages.at(1).Set(30, 60).Set(31, 30); // #01: Green Amp Volume 40 and Bass 50
    messages.at(11).Set(10, 20);            // #03: Input Level 24
    messages.at(4) = PresetHeader(1, "Crunch Renamed");
    std::string file;
    bool leftOut = false;
    for (const Msg& message : messages) {
        if (message.Id() == 0x21) {
            leftOut = message.Payload().at(2) == 3;
        }
        file += leftOut ? "" : message.Str();
    }
    return file;
}

TEST_F(CliTest, CompareListsExactlyWhatChanged) {
    WriteFileBytes(Dir / "changed.q3a", ChangedBackup());
    const std::string changed = (Dir / "changed.q3a").string();
    const std::string one = Preset(Header(0, "A"));
    const std::string empty = (Dir / "empty.q3p").string();
    WriteFileBytes(empty, "");
    const auto file = [&](const std::string& name, const std::string& bytes) {
        WriteFileBytes(Dir / name, bytes);
        return (Dir / name).string();
    };
    const std::string more = file("more.q3a", Header(0, "A") + Header(1, "B"));
    const std::string unnumbered = file("unnumbered.q3a", Header(254, "X") + Header(254, "Y"));
    const std::string twins = file("twins.q3a", Header(0, "A") + Header(2, "A"));
    // Input, Green Amp, Reverb and Output at level 70; then without the Reverb, at level 75.
    const auto chain = [&](const std::string& name, bool reverb, uint8_t level) {
        Bytes body = {
            0, 0, 0, static_cast<uint8_t>(reverb ? 4 : 3), 1, 0, 0, 1, 3, 0, 20, 0, 3, 0, 0, 2,
            2, 1, 40};
        if (reverb) {
            body.insert(body.end(), {17, 0, 0, 3, 2, 2, 30});
        }
        body.insert(body.end(), {2, 0, 0, 1, 3, 0, level, 0});
        return file(name, Header(0, "A") + Message(0x24, body));
    };
    const std::string oldChain = chain("old-chain.q3p", true, 70);
    const std::string newChain = chain("new-chain.q3p", false, 75);
    struct TCase {
        std::vector<std::string> Files;
        int Status;
        std::string Out;
    };
    const std::vector<TCase> cases = {
        {{ExampleBackup, ExampleBackup}, 0, "No differences (25 presets).\n"},
        {{ExampleBackup, changed},
         1,
         "Preset #01  Clean 1\n"
         "  Green Amp: Volume: 4 \u2192 6\n"
         "  Green Amp: Bass: 5 \u2192 3\n"
         "Preset #02  Crunch & Co 1 \u2192 Crunch Renamed\n"
         "Preset #03  Dual <1>\n"
         "  Input: Input Level (dB): 0 \u2192 -2\n"
         "Removed: Preset #04  Lead 1\n"
         "21 presets unchanged, 3 changed, 1 removed, 0 added.\n"},
        {{changed, ExampleBackup},
         1,
         "Preset #01  Clean 1\n"
         "  Green Amp: Volume: 6 \u2192 4\n"
         "  Green Amp: Bass: 3 \u2192 5\n"
         "Preset #02  Crunch Renamed \u2192 Crunch & Co 1\n"
         "Preset #03  Dual <1>\n"
         "  Input: Input Level (dB): -2 \u2192 0\n"
         "Added: Preset #04  Lead 1\n"
         "21 presets unchanged, 3 changed, 0 removed, 1 added.\n"},
        // Two presets of one backup, whatever their numbers.
        {{ExampleBackup + ":2", changed + ":2"},
         1,
         "Preset #02  Crunch & Co 1 \u2192 Crunch Renamed\n"
         "0 presets unchanged, 1 changed, 0 removed, 0 added.\n"},
        {{ExampleBackup + ":5", changed + ":5"}, 0, "No differences (1 preset).\n"},
        // One preset against a whole file: the preset of its number there, not the first.
        {{ExampleBackup + ":5", ExampleBackup}, 0, "No differences (1 preset).\n"},
        {{changed, ExampleBackup + ":5"}, 0, "No differences (1 preset).\n"},
        // A side without presets is named in the summary.
        {{one, empty},
         1,
         "Removed: Preset #01  A\n0 presets unchanged, 0 changed, 1 removed, 0 added. " + empty +
             " holds no presets.\n"},
        {{empty, empty},
         0,
         "No differences (0 presets). " + empty + " holds no presets. " + empty +
             " holds no presets.\n"},
        {{ExampleBackup + ":6", ExampleBackup + ":10"},
         1,
         "Preset #06  Crunch & Co 2 \u2192 #10  Crunch & Co 3\n"
         "  Stompbox: Status: On \u2192 Off\n"
         "  Stompbox: Drive: 4 \u2192 5\n"},
        // Only added presets differ too.
        {{one, more},
         1,
         "Added: Preset #02  B\n1 preset unchanged, 0 changed, 0 removed, 1 added.\n"},
        {{unnumbered, unnumbered}, 0, "No differences (2 presets).\n"},
        // The same preset under two numbers.
        {{twins + ":1", twins + ":3"},
         1,
         "Preset #01  A \u2192 #03  A\n0 presets unchanged, 1 changed, 0 removed, 0 added.\n"},
        // Output is a module of its own: its level is not filed under the module before.
        {{oldChain, newChain},
         1,
         "Preset #01  A\n  - Reverb\n  Output: Output Level (dB): -5 \u2192 -2.5\n"
         "0 presets unchanged, 1 changed, 0 removed, 0 added.\n"},
    };
    for (const TCase& c : cases) {
        const TRun run = Run({"--compare", "--config-dir", ExampleConfig, c.Files[0], c.Files[1]});
        EXPECT_EQ(run.Status, c.Status) << c.Files[1];
        EXPECT_EQ(run.Err, "") << c.Files[1];
        EXPECT_EQ(run.Out.substr(0, c.Out.size()), c.Out) << c.Files[1];
    }
    // The HTML form marks the changed values; JSON gives them as records.
    const TRun html =
        Run({"--compare", "--format=html", "--config-dir", ExampleConfig, ExampleBackup, changed});
    EXPECT_EQ(html.Status, 1);
    EXPECT_NE(
        html.Out.find("<td class=\"preset\">Green Amp</td><td class=\"preset\">Volume</td><td "
                      "class=\"preset\" bgcolor=#FFE98A><b>4</b></td><td class=\"preset\" "
                      "bgcolor=#FFE98A><b>6</b></td>"),
        std::string::npos)
        << html.Out;
    const TRun json = Run(
        {"--compare", "--format", "json", "--config-dir", ExampleConfig, ExampleBackup, changed});
    EXPECT_EQ(json.Status, 1);
    EXPECT_NE(
        json.Out.find("{\"change\": \"value changed\", \"module\": \"Green Amp\", "
                      "\"kind\": \"amp\", \"position\": 2, \"id\": 3, \"parameter\": \"Bass\", "
                      "\"old\": \"5\", \"new\": \"3\"}"),
        std::string::npos)
        << json.Out;
    // Input and Output by kind and place; a module removed by its old place.
    const TRun chains =
        Run({"--compare", "--format", "json", "--config-dir", ExampleConfig, oldChain, newChain});
    EXPECT_NE(chains.Out.find("\"changes\": [\n"
                              "      {\"change\": \"module removed\", \"module\": \"Reverb\", "
                              "\"kind\": \"component\", \"position\": 2, \"id\": 17},\n"
                              "      {\"change\": \"value changed\", \"module\": \"Output\", "
                              "\"kind\": \"output\", \"position\": 2, \"id\": 2, \"parameter\": "
                              "\"Output Level (dB)\", \"old\": \"-5\", \"new\": \"-2.5\"}\n"),
              std::string::npos)
        << chains.Out;
}

// JSON and CSV are data: valid whatever the order of the messages, rows in chain order,
// file names as the file system spells them, and the same bytes in every locale.
TEST_F(CliTest, DataFormatsHoldThePresetsAsData) {
    const auto bytes = [](const std::string& hex) {
        std::string out;
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        }
        return out;
    };
    const std::string head = "f0000010005a2100000000500000000000003bf7";
    const std::string cabinetName =
        "f0000010005a2a0000000004000000004d794361620000000010f7"; // "MyCab" for component 4
    // The cabinet is named while it has no lines yet, and more lines follow in it.
    WriteFileBytes(Dir / "open.q3p", bytes(head + "f0000010005a2400000000010400000001016308f7" +
                                           cabinetName + "f0000010005a55001ff7"));
    const TRun json =
        Run({"--format", "json", "--config-dir", ExampleConfig, (Dir / "open.q3p").string()});
    WriteFileBytes(Dir / "open.json", json.Out);
    EXPECT_EQ(std::system(("/usr/bin/python3 -m json.tool '" + (Dir / "open.json").string() +
                           "' >/dev/null")
                              .c_str()),
              0)
        << json.Out;
    EXPECT_NE(json.Out.find("\"user_model_name\": \"MyCab\""), std::string::npos) << json.Out;
    // The cabinet's name comes before the amp's: the rows keep the chain's order.
    WriteFileBytes(Dir / "names.q3p",
                   bytes(head + "f0000010005a24000000000203000000010163040000010001636bf7" +
                         cabinetName + "f0000010005a2a0000000003000000004d79416d70000000000bf7"));
    const std::string names = (Dir / "names.q3p").string();
    EXPECT_EQ(Run({"--format", "csv", "--config-dir", ExampleConfig, names}).Out,
              "file,preset number,preset name,module position,module kind,module heading,"
              "module name,parameter,raw,value,text\r\n" +
                  names + ",1,P,0,amp,Green Amp,MyAmp,,,,\r\n" + names +
                  ",1,P,1,cabinet,Green Cabinet,MyCab,,,,\r\n");
    // The name as UTF-8, and numbers with a point under a locale that writes a comma.
    const std::string cafe = (Dir / "caf\xC3\xA9.q3a").string();
    fs::copy_file(ExampleBackup, cafe);
    for (const std::string format : {"csv", "json"}) {
        const TRun c = Run({"--format", format, "--config-dir", ExampleConfig, cafe});
        EXPECT_NE(c.Out.find(cafe), std::string::npos) << format;
        EXPECT_EQ(Run({"--format", format, "--config-dir", ExampleConfig, cafe}, QVRREPORT_PATH,
                      "de_DE.UTF-8")
                      .Out,
                  c.Out)
            << format;
    }
    EXPECT_NE(Run({"--format", "text", "--config-dir", ExampleConfig, cafe}, QVRREPORT_PATH,
                  "de_DE.UTF-8")
                  .Out.find("Mid = 4,5"),
              std::string::npos);
}

TEST_F(CliTest, CompareTroubleExitsWithTwo) {
    // A name that exists as a file is a file, even with ":N" at its end.
    fs::copy_file(ExampleBackup, Dir / "copy.q3a:2");
    const std::string copy = (Dir / "copy.q3a:2").string();
    EXPECT_EQ(Run({"--compare", "--config-dir", ExampleConfig, copy, ExampleBackup}).Out,
              "No differences (25 presets).\n");
    // "-" is standard input, on either side.
    EXPECT_EQ(Run({"--compare", "--config-dir", ExampleConfig, ExampleBackup, "-"}, QVRREPORT_PATH,
                  "C", ExampleBackup)
                  .Out,
              "No differences (25 presets).\n");

    const std::string inconsistent = (Dir / "inconsistent.q3p").string();
    WriteFileBytes(inconsistent,
                   Message(0x21, {0, 0, 0, 'A', 0, 0, 0, 0, 0}) + Message(0x21, {1}, 0x57));

    struct TCase {
        std::vector<std::string> Args;
        std::string Err;
    };
    const std::vector<TCase> cases = {
        {{ExampleBackup, Examples + "/presets/backup.k3a"},
         "error: The files are for different models: QVR-3 and KDT-3.\n"},
        {{ExampleBackup + ":99", ExampleBackup},
         "error: " + ExampleBackup + ": there is no preset 99\n"},
        {{ExampleBackup, (Dir / "none.q3a").string()},
         "error: " + (Dir / "none.q3a").string() + ": No such file or directory\n"},
        {{ExampleBackup, Preset(Message(0x21, {0, 0, 0, 'A', 0}) + "\x01")},
         "error: " + (Dir / "preset.q3p").string() +
             ": preset 1: Invalid system exclusive format\n"},
        // The files are read at the same time, but the old file's messages come first.
        {{inconsistent, Preset(Message(0x21, {0, 0, 0, 'A', 0}) + "\x01")},
         "error: " + inconsistent + ": preset 1: Inconsistent product Id's in file\nerror: " +
             (Dir / "preset.q3p").string() + ": preset 1: Invalid system exclusive format\n"},
        {{ExampleBackup}, "qvrreport: --compare needs two files, OLD and NEW\n"},
        {{"-", "-"}, "qvrreport: standard input can be only one side of --compare\n"},
        {{"--format=csv", ExampleBackup, ExampleBackup},
         "qvrreport: invalid format 'csv' for --compare (must be text, html or json)\n"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"--compare", "--config-dir", ExampleConfig};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << c.Err;
        EXPECT_EQ(run.Out, "") << c.Err;
        EXPECT_EQ(run.Err.substr(0, c.Err.size()), c.Err);
    }
}

} // namespace
} // namespace qvr::test
