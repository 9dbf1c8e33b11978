#include "config/ConfigReader.h"

#include "config/Components.h"
#include "config/ConfigErrors.h"
#include "config/Modifiers.h"
#include "config/Params.h"
#include "config/Types.h"
#include "tests/config/Fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

namespace qvr::test {
namespace {

TEST(FindSection, FindsHeaderLinesInAnyCase) {
    const struct {
        std::string Text;
        std::string Name;
        bool Found;
        std::string NextLine; // the line after the header, when found
    } cases[] = {
        {"fx\nnext\n", "fx", true, "next"},
        {"FX\nnext\n", "fx", true, "next"},
        {"  Fx \t\nnext\n", "fx", true, "next"},
        {"junk\n\ncn = a\nfx\r\nnext\r\n", "fx", true, "next"},
        {"fx = 1\nfxx\nf x\n", "fx", false, ""},
        {"", "fx", false, ""},
        {"\n\n", "fx", false, ""},
        {"a\nfx", "fx", false, ""},  // last line without line end
        {"a\nfx\n", "fx", true, ""}, // last line with line end
        {"qvr\nfx\n", "qvr", true, "fx"},
    };
    for (const auto& c : cases) {
        const TFixtureFile file(c.Text);
        auto in = file.Open();
        EXPECT_EQ(FindSection(in, c.Name), c.Found) << "text: [" << c.Text << "]";
        if (c.Found) {
            EXPECT_EQ(ReadConfigLine(in), c.NextLine) << "text: [" << c.Text << "]";
        }
    }
}

TEST(FindSection, SearchesOnlyForwardFromTheReadPosition) {
    const TFixtureFile file("device\npresets\n");
    auto in = file.Open();
    EXPECT_TRUE(FindSection(in, "presets"));
    EXPECT_FALSE(FindSection(in, "device"));
    EXPECT_FALSE(FindSection(in, "device")); // at end of file at once
}

TEST(ConfigLines, LongLinesFailWithTheirLineNumber) {
    const std::string ok(MaxConfigLineLength, 'a');
    const TFixtureFile file("fx\n" + ok + "\n\n" + ok + "b\nrest\n");
    auto in = file.Open();
    EXPECT_EQ(ReadConfigLine(in), "fx");
    EXPECT_EQ(ReadConfigLine(in), ok);
    EXPECT_EQ(ReadConfigLine(in), "");
    try {
        ReadConfigLine(in);
        FAIL() << "long line accepted";
    } catch (const EQvrInvalidConfigFile& e) {
        EXPECT_EQ(e.Message, "Line 4 is longer than 254 characters.");
    }
}

// A line may start at the size limit, not after it: a file that goes on is refused before it
// can take memory without bound.
TEST(ConfigLines, AFileLongerThanTheLimitFails) {
    const TFixtureFile file(std::string(static_cast<size_t>(MaxConfigFileSize), '\n') + "x\ny\n");
    auto in = file.Open();
    for (std::streamoff i = 0; i < MaxConfigFileSize; ++i) {
        ReadConfigLine(in);
    }
    EXPECT_EQ(ReadConfigLine(in), "x");
    try {
        ReadConfigLine(in);
        FAIL() << "a line past the limit was read";
    } catch (const EQvrInvalidConfigFile& e) {
        EXPECT_EQ(e.Message, "The configuration file is longer than 1048576 bytes.");
    }
}

// The limit counts the characters before the line end; with CR LF line ends
// the carriage return belongs to the line end, so such files read like LF files.
TEST(ConfigLines, LengthLimitCountsTheTextBeforeTheLineEnd) {
    const std::string full(MaxConfigLineLength, 'a');
    const struct {
        std::string Text;
        bool Fits;
    } cases[] = {
        {full + "\n", true},
        {full + "\r\n", true},
        {full, true}, // last line without line end
        {full + "b\n", false},
        {full + "b\r\n", false},
        {full + "b", false},
        {full + "\r\r\n", false}, // only the last CR belongs to the line end
        {full + "\r", false},     // a CR without LF is text
        {full.substr(1) + "\rb\n", false},
        {std::string(100, 'a') + std::string(1, '\0') + std::string(153, 'b') + "\r\n", true},
        {std::string(100, 'a') + std::string(1, '\0') + std::string(154, 'b') + "\r\n", false},
    };
    for (const auto& c : cases) {
        const bool lineEnd = c.Text.back() == '\n';
        const TFixtureFile file(lineEnd ? c.Text + "next\n" : c.Text);
        auto in = file.Open();
        if (c.Fits) {
            EXPECT_NO_THROW(ReadConfigLine(in)) << "length " << c.Text.size();
            EXPECT_EQ(ReadConfigLine(in), lineEnd ? "next" : "") << "length " << c.Text.size();
        } else {
            EXPECT_THROW(ReadConfigLine(in), EQvrInvalidConfigFile) << "length " << c.Text.size();
        }
    }
}

TEST(ConfigLines, ZeroByteEndsTheLineText) {
    const TFixtureFile file(std::string("pn = Le\0vel\nnext\n", 17));
    auto in = file.Open();
    EXPECT_EQ(ReadConfigLine(in), "pn = Le");
    EXPECT_EQ(ReadConfigLine(in), "next");
}

TEST(ConfigLines, LastLineWithoutLineEndIsDeliveredAndStepBackClearsEof) {
    const TFixtureFile file("pn = A\ncn = B");
    auto in = file.Open();
    EXPECT_EQ(ReadConfigLine(in), "pn = A");
    EXPECT_FALSE(in.eof());
    const auto start = ReadPosition(in);
    EXPECT_EQ(ReadConfigLine(in), "cn = B");
    EXPECT_TRUE(in.eof());
    StepBack(in, start);
    EXPECT_FALSE(in.eof());
    EXPECT_EQ(ReadConfigLine(in), "cn = B");
    EXPECT_TRUE(in.eof());
    // After a read that found nothing, a step back reads the same again.
    const auto end = ReadPosition(in);
    EXPECT_EQ(ReadConfigLine(in), "");
    StepBack(in, end);
    EXPECT_EQ(ReadConfigLine(in), "");
    EXPECT_TRUE(in.eof());
}

// A stream buffer that delivers some text and then fails like a broken disk.
class TFailingBuffer : public std::streambuf {
public:
    explicit TFailingBuffer(std::string text) : Text(std::move(text)) {
        setg(Text.data(), Text.data(), Text.data() + Text.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("read error"); }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        if (dir != std::ios_base::cur || off != 0) {
            return pos_type(off_type(-1));
        }
        return pos_type(gptr() - eback());
    }

private:
    std::string Text;
};

TEST(ConfigLines, ReadErrorsEndTheReadersInsteadOfLooping) {
    {
        TFailingBuffer buffer("pn = Level\nmax = 9\n");
        std::istream in(&buffer);
        TQvrParamList params;
        EXPECT_THROW(ReadParams(params, in), EQvrInvalidConfigFile);
    }
    {
        TFailingBuffer buffer("junk\n");
        std::istream in(&buffer);
        EXPECT_THROW(FindSection(in, "fx"), EQvrInvalidConfigFile);
    }
    {
        TFailingBuffer buffer("params\ntid = 1\n");
        std::istream in(&buffer);
        TQvrTypeList types;
        EXPECT_THROW(ReadTypes(types, in), EQvrInvalidConfigFile);
    }
}

// Every reader of a section ends at the lines that start something else, in lower case only,
// and leaves that line unread; the same words in another case are ordinary lines. The header
// that ends a section is met both at the end of the last entry and in the search for another.
TEST(SectionReaders, StopAtLowerCaseKeywordsOnly) {
    using TRead = std::function<void(std::ifstream & in, bool stops, const std::string& line)>;
    const struct {
        std::string Before; // the text before the line under test
        std::string After;
        std::vector<std::string> Stops;
        std::vector<std::string> Ordinary;
        TRead Read;
    } cases[] = {
        {"cn = A\ncid = 1\n",
         "cn = B\n",
         {"qvr", "modifiers", "colors"},
         {"QVR", "Modifiers", "COLORS", "components", "mn"},
         [](std::ifstream& in, bool stops, const std::string& line) {
             TQvrComponentList list;
             EXPECT_EQ(ReadComponents(list, in), stops ? 1 : 2);
             if (!stops) { // stored as a property, and the run goes on
                 ASSERT_EQ(list.Object(0).Properties.Count(), 1u);
                 EXPECT_EQ(list.Object(0).Properties.Name(0), line);
                 EXPECT_TRUE(in.eof() || ReadConfigLine(in).empty());
             }
         }},
        {"mn = A\nmid = 2\n",
         "mid = 9\n",
         {"qvr", "components", "colors", "cn = X", "mn = X", "fx", "= 1"},
         {"modifiers", "QVR", "Colors", "MN = X", "device"},
         [](std::ifstream& in, bool stops, const std::string&) {
             TQvrModifier modifier;
             EXPECT_TRUE(ReadModifier(modifier, in));
             EXPECT_EQ(modifier.Id, stops ? 2 : 9);
             if (!stops) {
                 EXPECT_EQ(modifier.Properties.Count(), 1u);
             }
         }},
        {"pn = A\nmax = 3\n\n",
         "pn = B\n",
         {"cn = 7", "tid = 7", "qvr = 7", "fx = 7", "modifiers = 7", "mn = 7"},
         {"CN = 7", "Tid = 7", "QVR = 7", "Fx = 7", "MODIFIERS = 7", "Mn = 7", "colors = 7"},
         [](std::ifstream& in, bool stops, const std::string&) {
             TQvrParamList list;
             EXPECT_EQ(ReadParams(list, in), stops ? 1 : 2);
             EXPECT_EQ(list.Object(0).Max, 3);
             EXPECT_TRUE(stops || in.eof());
         }},
        {"tn = A\ntid = 1\n",
         "tn = B\ntid = 2\n",
         {"params", "cn = X", "qvr", "fx", "modifiers"},
         {"PARAMS", "Cn = X", "QVR", "colors", "mn = X", "pn = X"},
         [](std::ifstream& in, bool stops, const std::string&) {
             TQvrComponent component;
             EXPECT_EQ(ReadTypeNames(component, in), stops ? 1 : 2);
         }},
        {"tid = 1\npn = A\n",
         "tid = 2\n",
         {"cn = X", "qvr", "fx", "modifiers"},
         {"CN = X", "Qvr", "FX", "colors", "components"},
         [](std::ifstream& in, bool stops, const std::string&) {
             TQvrTypeList types;
             ReadTypes(types, in);
             EXPECT_EQ(types.Count(), stops ? 1u : 2u);
         }},
    };
    for (const auto& c : cases) {
        for (const bool stops : {true, false}) {
            for (const std::string& line : stops ? c.Stops : c.Ordinary) {
                SCOPED_TRACE(c.Before + line);
                const TFixtureFile file(c.Before + line + "\n" + c.After);
                auto in = file.Open();
                c.Read(in, stops, line);
                if (stops) {
                    EXPECT_EQ(ReadConfigLine(in), line);
                }
            }
        }
    }
}

} // namespace
} // namespace qvr::test
