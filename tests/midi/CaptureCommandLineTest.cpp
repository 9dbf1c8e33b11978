#include "capture/CaptureCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvr::test {

namespace {

struct TParseCase {
    const char* Name;
    std::vector<std::string> Args;
    const char* Error; // "" when the parse succeeds
    bool List = false;
    const char* Port = nullptr;
    int IdleMs = 2000;
    TMidiApi Api = TMidiApi::Default;
    const char* File = "";
};

const TParseCase ParseCases[] = {
    {"FileOnly", {"got.q3a"}, "", false, nullptr, 2000, TMidiApi::Default, "got.q3a"},
    {"AllOptions",
     {"--port", "QVR-3 MIDI", "--idle=0.5", "--api", "jack", "got.q3a"},
     "",
     false,
     "QVR-3 MIDI",
     500,
     TMidiApi::Jack,
     "got.q3a"},
    {"Prefixes",
     {"--po=x", "--id", "10", "--a=alsa", "f"},
     "",
     false,
     "x",
     10000,
     TMidiApi::Alsa,
     "f"},
    {"ListNeedsNoFile", {"--list", "--api=jack"}, "", true, nullptr, 2000, TMidiApi::Jack},
    {"ListTakesNoFile", {"--list", "f"}, "extra operand 'f'"},
    {"ListTakesNoValue", {"--list=1"}, "option '--list' doesn't allow an argument"},
    {"ListTakesNoPort", {"--list", "--port", "x"}, "option '--port' does not apply to --list"},
    {"ListTakesNoIdle", {"--idle=1", "--list"}, "option '--idle' does not apply to --list"},
    {"MissingFile", {"--idle", "3"}, "missing file operand"},
    {"TwoFiles", {"a", "b"}, "extra operand 'b'"},
    {"IdleTooShort",
     {"--idle", "0.05", "f"},
     "invalid idle time '0.05' (must be 0.1 to 3600 seconds)"},
    {"IdleTooLong", {"--idle=3601", "f"}, "invalid idle time '3601' (must be 0.1 to 3600 seconds)"},
    {"IdleNotANumber", {"--idle=2s", "f"}, "invalid idle time '2s' (must be 0.1 to 3600 seconds)"},
    {"UnknownApi", {"--api", "oss", "f"}, "invalid MIDI system 'oss' (must be alsa or jack)"},
    {"EmptyPort", {"--port=", "f"}, "empty port name"},
    {"PortWithoutValue", {"f", "--port"}, "option '--port' requires an argument"},
    {"Unknown", {"--output", "f"}, "unrecognized option '--output'"},
    {"ShortOption", {"-l"}, "invalid option -- 'l'"},
    {"DashIsAFile", {"-"}, "", false, nullptr, 2000, TMidiApi::Default, "-"},
    {"ValueMayLookLikeAnOption",
     {"--port", "--list", "f"},
     "",
     false,
     "--list",
     2000,
     TMidiApi::Default,
     "f"},
    {"FirstErrorWins",
     {"--idle=0", "--bogus", "f"},
     "invalid idle time '0' (must be 0.1 to 3600 seconds)"},
    {"DashDashEndsOptions",
     {"--", "--list"},
     "",
     false,
     nullptr,
     2000,
     TMidiApi::Default,
     "--list"},
};

class CaptureCommandLine : public testing::TestWithParam<TParseCase> {};

TEST_P(CaptureCommandLine, Parses) {
    const TParseCase& c = GetParam();
    const TCaptureParse parse = ParseCaptureCommandLine(c.Args);
    EXPECT_EQ(parse.Error, c.Error);
    if (std::string(c.Error).empty()) {
        ASSERT_TRUE(parse.Options);
        const TCaptureOptions& o = *parse.Options;
        EXPECT_EQ(o.List, c.List);
        EXPECT_EQ(o.Port.value_or("(none)"), c.Port ? c.Port : "(none)");
        EXPECT_EQ(o.Idle.count(), c.IdleMs);
        EXPECT_EQ(o.Api, c.Api);
        EXPECT_EQ(o.File, c.File);
    } else {
        EXPECT_FALSE(parse.Options);
    }
}

INSTANTIATE_TEST_SUITE_P(Args, CaptureCommandLine, testing::ValuesIn(ParseCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(CaptureCommandLineHelp, HelpActsWhereItStands) {
    const TCaptureParse parse = ParseCaptureCommandLine({"--he", "--bogus"});
    ASSERT_TRUE(parse.Options);
    EXPECT_TRUE(parse.Options->Help);
}

} // namespace

} // namespace qvr::test
