#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

struct TLibRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs qvrlib in a folder of its own.
class LibTest : public testing::Test {
protected:
    TLibRun Run(const std::vector<std::string>& args) {
        std::string command = "env LC_ALL=C '" + std::string(QVRLIB_PATH) + "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command +=
            " </dev/null >'" + (Dir / "out").string() + "' 2>'" + (Dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        TLibRun run;
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = ReadFileBytes(Dir / "out");
        run.Err = ReadFileBytes(Dir / "err");
        return run;
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

} // namespace
} // namespace qvr::test
