#include "config/ConfigReader.h"

#include "Fixture.h"
#include "config/ConfigErrors.h"
#include "config/Params.h"
#include "config/Types.h"

#include <gtest/gtest.h>

#include <sstream>

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

} // namespace
} // namespace qvr::test
