#include "report/ValueFormat.h"

#include "ReportFixtures.h"
#include "report/JsonText.h"
#include "report/Utf8Text.h"
#include "tests/support/MessageBuilder.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace qvr::test {
namespace {

// The definition of a variable-length value, step by step, without shortcuts.
int32_t ReferenceVarValue(TMidiSysEx& message) {
    const int32_t first = message.NextByte();
    if (first < 0x80) {
        return first;
    }
    int32_t length = first & 0x7F;
    if (first == 0x80) {
        const int32_t high = message.NextByte();
        length = high * 256 + message.NextByte();
    }
    uint32_t value = 0;
    for (int32_t i = 0; i < length; ++i) {
        value = value * 256u + static_cast<uint32_t>(message.NextByte());
    }
    return static_cast<int32_t>(value);
}

struct TVarCase {
    std::vector<uint8_t> Bytes;
    int32_t Value;
    int32_t NextAfter; // the byte that follows the value, -1 at the end
};

void PrintTo(const TVarCase& c, std::ostream* os) {
    *os << "bytes " << Hex(ToString(c.Bytes)) << " read " << c.Value;
}

class ReadVarValueTest : public testing::TestWithParam<TVarCase> {};

TEST_P(ReadVarValueTest, ReadsValueAndStopsAfterIt) {
    const TVarCase& c = GetParam();
    auto message = BodyMessage(c.Bytes);
    EXPECT_EQ(ReadVarValue(*message), c.Value);
    EXPECT_EQ(message->NextByte(), c.NextAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ReadVarValueTest,
    testing::Values(TVarCase{{0x05, 0x33}, 5, 0x33}, TVarCase{{0x7F}, 127, -1},
                    TVarCase{{0x82, 0x01, 0x2C, 0x44}, 300, 0x44},
                    TVarCase{{0x80, 0x00, 0x02, 0x01, 0x00}, 256, -1},
                    TVarCase{{0x80, 0x00, 0x00, 0x09}, 0, 0x09},
                    // Only the last four bytes count; 2^31 and above read negative.
                    TVarCase{{0x85, 0x11, 0x80, 0x00, 0x00, 0x01}, INT32_MIN + 1, -1},
                    TVarCase{{0x84, 0xFF, 0xFF, 0xFF, 0xFE}, -2, -1},
                    // Past the end every byte reads -1.
                    TVarCase{{}, -1, -1}, TVarCase{{0x82, 0x01}, 255, -1},
                    TVarCase{{0x80}, 0, -1}));

TEST(ReadVarValueShortData, MatchesTheStepwiseDefinitionForEveryLength) {
    // A value that runs past the end of the body is still computed as if
    // every missing byte were -1, however long the announced length is.
    for (const int length : {1, 2, 3, 4, 5, 6, 17, 255, 4096, 65535}) {
        for (const size_t present : {0, 1, 2, 5}) {
            std::vector<uint8_t> bytes = {0x80, static_cast<uint8_t>(length >> 8),
                                          static_cast<uint8_t>(length & 0xFF)};
            for (size_t i = 0; i < present; ++i) {
                bytes.push_back(static_cast<uint8_t>(0x31 + i));
            }
            auto fast = BodyMessage(bytes);
            auto reference = BodyMessage(bytes);
            EXPECT_EQ(ReadVarValue(*fast), ReferenceVarValue(*reference))
                << "length " << length << ", present " << present;
        }
    }
}

TEST(SkipRawParameters, ConsumesTheCountAndEveryValue) {
    auto message = BodyMessage({0x02, 0x10, 0x83, 0x01, 0x02, 0x03, 0x55});
    SkipRawParameters(*message);
    EXPECT_EQ(message->NextByte(), 0x55);

    auto longForm = BodyMessage({0x01, 0x80, 0x00, 0x02, 0xAA, 0xBB, 0x66});
    SkipRawParameters(*longForm);
    EXPECT_EQ(longForm->NextByte(), 0x66);

    auto empty = BodyMessage({});
    SkipRawParameters(*empty); // a missing count means no values
    EXPECT_EQ(empty->NextByte(), -1);
}

TEST(ReadWord16, HighByteFirstAndMissingBytesAsMinusOne) {
    auto message = BodyMessage({0x01, 0x2C, 0x07});
    EXPECT_EQ(ReadWord16(*message), 300);
    EXPECT_EQ(ReadWord16(*message), 7 * 256 - 1);
}

TQvrParam Param(std::string name) {
    TQvrParam p;
    p.Name = std::move(name);
    return p;
}

struct TFormatCase {
    const char* What;
    TQvrParam Param;
    int32_t Value;
    char Separator;
    std::string Text;
};

void PrintTo(const TFormatCase& c, std::ostream* os) {
    *os << c.What;
}

class FormatParamValueTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(FormatParamValueTest, ShowsTheValueByTheFirstRuleThatApplies) {
    const TFormatCase& c = GetParam();
    EXPECT_EQ(FormatParamValue(c.Param, c.Value, c.Separator), c.Text) << c.What;
}

TQvrParam WithItems(std::vector<std::string> items, std::string name = "Mode") {
    TQvrParam p = Param(std::move(name));
    p.Items = std::move(items);
    return p;
}

TQvrParam WithMaxText(int32_t max, std::string text) {
    TQvrParam p = WithItems({"a", "b", "c"});
    p.Max = max;
    p.MaxText = std::move(text);
    return p;
}

TQvrParam Scaled(double sw, double mul, double add, double mulHigh, double addHigh) {
    TQvrParam p = Param("Level");
    p.ScaleSwitch = sw;
    p.ScaleMul = mul;
    p.ScaleAdd = add;
    p.ScaleMulHigh = mulHigh;
    p.ScaleAddHigh = addHigh;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FormatParamValueTest,
    testing::Values(TFormatCase{"on/off 0", Param("On/Off"), 0, '.', "Off"},
                    TFormatCase{"on/off 1", Param("On/Off"), 1, '.', "On"},
                    TFormatCase{"on/off 7", Param("On/Off"), 7, '.', "On"},
                    TFormatCase{"on/off wins over items", WithItems({"x", "y"}, "On/Off"), 0, '.',
                                "Off"},
                    TFormatCase{"on/off is case-sensitive", Param("on/off"), 0, '.', "0"},
                    TFormatCase{"third item", WithItems({"a", "b", " c"}), 2, '.', " c"},
                    TFormatCase{"beyond the items", WithItems({"a", "b", "c"}), 3, '.', "3"},
                    TFormatCase{"negative never indexes", WithItems({"a"}), -1, '.', "-1"},
                    TFormatCase{"max text", WithMaxText(99, "Full"), 99, '.', "Full"},
                    TFormatCase{"below max", WithMaxText(99, "Full"), 98, '.', "98"},
                    TFormatCase{"items before max text", WithMaxText(1, "Full"), 1, '.', "b"},
                    TFormatCase{"default scale", Param("Level"), 5, '.', "5"},
                    TFormatCase{"lower scale", Scaled(1e9, 0.5, -12, 1, 0), 5, '.', "-9.5"},
                    TFormatCase{"user separator", Scaled(1e9, 0.5, -12, 1, 0), 5, ',', "-9,5"},
                    TFormatCase{"below switch", Scaled(50, 1, 0, 2, -100), 49, '.', "49"},
                    TFormatCase{"at switch", Scaled(50, 1, 0, 2, -100), 50, '.', "0"},
                    TFormatCase{"above switch", Scaled(64, 1, 0, 2, -128), 65, '.', "2"},
                    TFormatCase{"tenths", Scaled(1e9, 0.1, 0, 1, 0), 5, '.', "0.5"},
                    TFormatCase{"tiny", Scaled(1e9, 0.00001, 0, 1, 0), 1, '.', "1E-5"},
                    TFormatCase{"smallest fixed", Scaled(1e9, 0.0001, 0, 1, 0), 1, '.', "0.0001"},
                    TFormatCase{"rounded to 15 digits", Scaled(1e9, 0.1, 0, 1, 0), 3, '.', "0.3"},
                    TFormatCase{"negative fraction", Scaled(1e9, -0.25, 0, 1, 0), 9, ',', "-2,25"},
                    TFormatCase{"fraction of a large number", Scaled(1e9, 1, 0.5, 1, 0), 123456789,
                                '.', "123456789.5"},
                    TFormatCase{"fifteen digits at most", Scaled(1e9, 1, 0.123456789, 1, 0),
                                123456789, '.', "123456789.123457"}),
    TNameByWhat());

TEST(ParamLine, StatusForTheSwitchAndNameOtherwise) {
    EXPECT_EQ(ParamLine(Param("On/Off"), 1, '.'), "Status = On");
    EXPECT_EQ(ParamLine(Param("Gain"), 7, '.'), "Gain = 7");
    EXPECT_EQ(ParamLine(WithItems({"Slow", "Fast"}, "Speed"), 1, '.'), "Speed = Fast");
}

TEST(ParameterUnit, IsTheLastParenthesisedWordOfTheName) {
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        {"Output Level (dB)", "dB"}, {"Rate (Hz) (x)", "x"}, {"Mix", ""},     {"(dB)", ""},
        {"Level (dB) x", ""},        {"Level ()", ""},       {"A (b(c))", ""}};
    for (const auto& [name, unit] : cases) {
        EXPECT_EQ(ParameterUnit(name), unit) << name;
    }
}

// Every byte from 0x80 to 0x9F as the C library's windows-1252 converter has it;
// the five bytes it leaves undefined are the control characters of their number.
TEST(Utf8Text, TheHighControlRangeFollowsWindows1252) {
    iconv_t convert = iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(convert, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inPointer = in;
        char* outPointer = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        TLineText ours;
        AppendUtf8(ours, std::string_view(in, 1));
        if (iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1)) {
            EXPECT_EQ(ours.Text, std::string({static_cast<char>(0xC2), static_cast<char>(byte)}))
                << byte;
        } else {
            EXPECT_EQ(ours.Text, std::string(out, sizeof out - outLeft)) << byte;
        }
    }
    iconv_close(convert);
}

struct TTextCase {
    const char* What;
    std::string Text;
    std::string Expected;
};

void PrintTo(const TTextCase& c, std::ostream* os) {
    *os << c.What;
}

class JsonStringTest : public testing::TestWithParam<TTextCase> {};

TEST_P(JsonStringTest, EscapesAndConvertsToUtf8) {
    TLineText out;
    AppendJsonString(out, GetParam().Text);
    EXPECT_EQ(out.Text, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonStringTest,
                         testing::Values(TTextCase{"quotes backslashes and line feeds", "a\"b\\c\n",
                                                   "\"a\\\"b\\\\c\\n\""},
                                         TTextCase{"every other control character as u escape",
                                                   std::string("\x00\x01\x0B\x1F\x7F", 5),
                                                   "\"\\u0000\\u0001\\u000b\\u001f\x7F\""},
                                         TTextCase{"two and three bytes of UTF-8", "\xE9\x83\x80",
                                                   "\"\xC3\xA9\xC6\x92\xE2\x82\xAC\""}),
                         TNameByWhat());

class FileNameTest : public testing::TestWithParam<TTextCase> {};

TEST_P(FileNameTest, KeepsValidUtf8AndEscapesEveryOtherByte) {
    EXPECT_EQ(FileNameUtf8(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNameTest,
    testing::Values(TTextCase{"valid", "caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x8E\xB8",
                              "caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x8E\xB8"},
                    TTextCase{"windows-1252", "caf\xE9.q3p", "caf\\xe9.q3p"},
                    TTextCase{"overlong", "\xC0\xAF\xE0\x80\xAF", "\\xc0\\xaf\\xe0\\x80\\xaf"},
                    TTextCase{"surrogate and beyond U+10FFFF", "\xED\xA0\x80\xF4\x90\x80\x80",
                              "\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
                    TTextCase{"cut short", "a\xE2\x82", "a\\xe2\\x82"}),
    TNameByWhat());

} // namespace
} // namespace qvr::test
