#include "config/ValuePair.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

TEST(ValuePair, SplitsLinesAtTheFirstEqualsSign) {
    const struct {
        std::string In;
        std::string Name;
        std::string Value;
    } cases[] = {
        {"cn = Chorus", "cn", "Chorus"},
        {"  Cn = X  ", "Cn", "X"},
        {"types", "types", "(none)"},
        {"\ttypes\r", "types", "(none)"},
        {"level = 3 = 4", "level", "3 = 4"},
        {"= 5", "", "5"},
        {"st=abc", "st", "abc"},
        {"tpn = \"  Amp Type  \"", "tpn", "  Amp Type  "},
        {"x = \"\"", "x", ""},
        {"x = \"open", "x", "open"},
        {"x = close\"", "x", "close"},
        {"x = a\"b\"c", "x", "a\"b\"c"},
        {"x = \"\"\"", "x", "\""},
        {"x = \"a\" \"b\"", "x", "a\" \"b"},
    };
    for (const auto& c : cases) {
        const TQvrValuePair pair(c.In);
        EXPECT_EQ(pair.Name, c.Name) << "line: [" << c.In << "]";
        EXPECT_EQ(pair.Value, c.Value) << "line: [" << c.In << "]";
        EXPECT_EQ(pair.NoValue, "(none)");
    }
    EXPECT_EQ(TQvrValuePair("  cn = Chorus \r").Line, "cn = Chorus");
}

TEST(ValuePair, EmptyValueOrLoneQuoteIsARangeError) {
    for (const char* line : {"x =", "x = ", "x=\t", "x = \"", "="}) {
        EXPECT_THROW(TQvrValuePair{line}, ERangeError) << "line: [" << line << "]";
    }
}

TEST(ValuePair, WorkingPairGivesBareLinesAnEmptyValue) {
    TQvrValuePair pair;
    EXPECT_EQ(pair.NoValue, "");
    pair.Parse("cn = Chorus");
    EXPECT_EQ(pair.Value, "Chorus");
    pair.Parse("params");
    EXPECT_EQ(pair.Name, "params");
    EXPECT_EQ(pair.Value, "");
    EXPECT_EQ(pair.Value, pair.NoValue);
}

} // namespace
} // namespace qvr::test
