#include "config/Qvrconfig.h"

#include "base/Errors.h"
#include "tests/config/Fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace qvr::test {
namespace {

const char* const Headers = "device\npresets\ncomponents\nfx\nqvr\nmodifiers\n";

TEST(QvrConfig, EmptySectionsLoadAsEmptyLists) {
    const TFixtureFile file(std::string("leading text\n") + Headers + "colors\n");
    const TQvrConfig config(file.Path);
    EXPECT_EQ(config.FxComponents.Count(), 0u);
    EXPECT_EQ(config.QvrComponents.Count(), 0u);
    EXPECT_EQ(config.Modifiers.Count(), 0u);
    EXPECT_EQ(config.FindComponentById(0), nullptr);
    EXPECT_EQ(config.FindModifierById(0), nullptr);
}

std::string LoadError(const std::string& text) {
    const TFixtureFile file(text);
    try {
        const TQvrConfig config(file.Path);
        return "(loaded)";
    } catch (const EQvrInvalidConfigFile& e) {
        return e.Message;
    }
}

TEST(QvrConfig, ReportsTheFirstSectionThatCannotBeFound) {
    const struct {
        std::string Text;
        std::string Message;
    } cases[] = {
        {"", "Section 'device' not found."},
        {"devices\n", "Section 'device' not found."},
        {"device\n", "Section 'presets' not found."},
        {"presets\ndevice\n", "Section 'presets' not found."},
        {"device\npresets\n", "Section 'components' not found."},
        {"device\npresets\ncomponents\n", "Section 'fx' not found."},
        {"device\npresets\nfx\ncomponents\n", "Section 'fx' not found."},
        {"device\npresets\ncomponents\nfx\n", "Section 'qvr' not found."},
        {"device\npresets\ncomponents\nfx\nqvr\n", "Section 'modifiers' not found."},
        {"device\npresets\ncomponents\nfx\nqvr\nmodifiers", "Section 'modifiers' not found."},
        {"device\npresets\ncomponents\nfx\ncn = A\ncid = 1", "Section 'qvr' not found."},
        {"device\npresets\ncomponents\nfx\ncn = A\ncid = 1\n", "Section 'qvr' not found."},
        // Entry readers know the closing headers only in lower case.
        {"device\npresets\ncomponents\nfx\ncn = A\nQVR\ncn = B\nmodifiers\nmn = M\n",
         "Section 'qvr' not found."},
        {"device\npresets\ncomponents\nfx\nqvr\ncn = A\nMODIFIERS\nmn = M\ncolors\n",
         "Section 'modifiers' not found."},
        {"device\npresets\ncomponents\nfx\ncn = A\ntypes\ntn = Clean\nqvr\n",
         "Could not find 'tid' after 'tn = Clean'."},
        {"device\npresets\ncomponents\nfx\nqvr\nmodifiers\ncn = A\ntypes\ntn = Lead",
         "(loaded)"}, // components are not read in the modifiers section
        {"device\npresets\ncomponents\nfx\nqvr\ncn = A\ntypes\ntn = Lead",
         "Premature EOF while locating 'tid' for 'tn = Lead'."},
        {"device\npresets\ncomponents\nfx\nqvr\ncn = A\n" + std::string(300, 'x') + "\n",
         "Line 7 is longer than 254 characters."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadError(c.Text), c.Message) << "text: [" << c.Text << "]";
    }
}

TEST(QvrConfig, FindsHeadersInAnyCaseWithBlanks) {
    const TFixtureFile file(" DEVICE\nname = x\nPresets \t\r\nComponents\n  FX\ncn = A\ncid = 1\n"
                            "qvr\ncn = B\ncid = 2\nmodifiers\nmn = M\nmid = 3\n");
    const TQvrConfig config(file.Path);
    EXPECT_EQ(config.FxComponents.Count(), 1u);
    EXPECT_EQ(config.QvrComponents.Count(), 1u);
    EXPECT_EQ(config.Modifiers.Count(), 1u);
}

TEST(QvrConfig, LibraryErrorsPassThroughUnchanged) {
    // Fails inside section "qvr" with a complete "fx" section loaded: the
    // sanitizer build checks that both are released.
    const std::string start = "device\npresets\ncomponents\nfx\ncn = F\ncid = 1\nparams\ntid = 1\n"
                              "pn = P\nqvr\ncn = A\nparams\ntid = 1\npn = Q\n";
    {
        const TFixtureFile file(start + "pn = P\nscm = 1,5\nmodifiers\n");
        try {
            const TQvrConfig config(file.Path);
            FAIL() << "loaded";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
        }
    }
    {
        const TFixtureFile file(start + "pn =\nmodifiers\n");
        try {
            const TQvrConfig config(file.Path);
            FAIL() << "loaded";
        } catch (const ERangeError& e) {
            EXPECT_STREQ(e.what(), "Range check error");
        }
    }
}

TEST(QvrConfig, FilesThatCannotBeOpened) {
    EXPECT_THROW(TQvrConfig("/nonexistent/folder/QVR1.cfg"), EQvrCannotOpenFile);
    EXPECT_THROW(TQvrConfig(std::filesystem::temp_directory_path().string()), EQvrCannotOpenFile);
    // A device and a pipe without a writer: neither may block the load.
    EXPECT_THROW(TQvrConfig("/dev/zero"), EQvrCannotOpenFile);
    const TFixtureFile pipe("");
    std::filesystem::remove(pipe.Path);
    ASSERT_EQ(::mkfifo(pipe.Path.c_str(), 0600), 0);
    EXPECT_THROW(TQvrConfig(pipe.Path), EQvrCannotOpenFile);
}

const char* const LookupFile = "device\npresets\ncomponents\n"
                               "fx\n"
                               "cn = Chorus\ncid = 5\n"
                               "cn = Flanger\ncid = 5\n"
                               "cn = Wah\n"
                               "qvr\n"
                               "cn = Amp\ncid = 5\n"
                               "cn = Cabinet\ncid = 6\n"
                               "cn = Cabinet 2\ncid = 6\n"
                               "modifiers\n"
                               "mn = LFO 1\nmid = 2\n"
                               "mn = LFO 2\nmid = 2\n"
                               "mn = Control Switch\nmid = 4\n"
                               "colors\n";

TEST(QvrConfig, LookupsTakeFxBeforeQvrAndTheFirstMatch) {
    const TFixtureFile file(LookupFile);
    const TQvrConfig config(file.Path);
    ASSERT_NE(config.FindComponentById(5), nullptr);
    EXPECT_EQ(config.FindComponentById(5)->Name, "Chorus");
    EXPECT_EQ(config.FindComponentById(5), &config.FxComponents.Object(0));
    ASSERT_NE(config.FindComponentById(6), nullptr);
    EXPECT_EQ(config.FindComponentById(6)->Name, "Cabinet");
    EXPECT_EQ(config.FindComponentById(0)->Name, "Wah"); // no "cid"
    EXPECT_EQ(config.FindComponentById(7), nullptr);
    ASSERT_NE(config.FindModifierById(2), nullptr);
    EXPECT_EQ(config.FindModifierById(2)->Name, "LFO 1");
    EXPECT_EQ(config.FindModifierById(4)->Name, "Control Switch");
    EXPECT_EQ(config.FindModifierById(3), nullptr);
}

std::string ToCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::string Describe(const TQvrConfig& config) {
    std::string out;
    for (const auto* list : {&config.FxComponents, &config.QvrComponents}) {
        for (size_t i = 0; i < list->Count(); ++i) {
            out += "[" + list->Name(i) + "|" + std::to_string(list->Object(i).Id) + "]";
        }
        out += ";";
    }
    for (size_t i = 0; i < config.Modifiers.Count(); ++i) {
        out += "[" + config.Modifiers.Name(i) + "|" +
               std::to_string(config.Modifiers.Object(i).Id) + "]";
    }
    return out;
}

TEST(QvrConfig, CrLfAndBlankLinesReadLikePlainLineFeeds) {
    const TFixtureFile plain(LookupFile);
    const TFixtureFile crlf(ToCrLf(LookupFile));
    std::string spaced;
    for (const char c : std::string(LookupFile)) {
        spaced += c;
        if (c == '\n') {
            spaced += "\n \t\n";
        }
    }
    const TFixtureFile blank("\n\n" + spaced);
    const std::string expected = "[Chorus|5][Flanger|5][Wah|0];[Amp|5][Cabinet|6][Cabinet 2|6];"
                                 "[LFO 1|2][LFO 2|2][Control Switch|4]";
    EXPECT_EQ(Describe(TQvrConfig(plain.Path)), expected);
    EXPECT_EQ(Describe(TQvrConfig(crlf.Path)), expected);
    EXPECT_EQ(Describe(TQvrConfig(blank.Path)), expected);
}

TEST(QvrConfig, SectionsMayFollowTheLastEntryDirectly) {
    // The last modifier's parameters run to the end; "colors" lines are skipped.
    const TFixtureFile file("device\npresets\ncomponents\nfx\ncn = A\nqvr\ncn = B\nmodifiers\n"
                            "mn = M\nparams\npn = Speed\ncolors\nback = 1\nmn = Extra\nmid = 8");
    const TQvrConfig config(file.Path);
    EXPECT_EQ(config.FxComponents.Count(), 1u);
    EXPECT_EQ(config.QvrComponents.Count(), 1u);
    ASSERT_EQ(config.Modifiers.Count(), 2u);
    EXPECT_EQ(config.Modifiers.Object(0).Params.Count(), 1u);
    EXPECT_EQ(config.Modifiers.Object(1).Id, 8); // "mn" in "colors" starts another one
}

} // namespace
} // namespace qvr::test
