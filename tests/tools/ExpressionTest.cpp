#include "tools/presetgen/Expression.h"

#include "tools/presetgen/DescriptionError.h"
#include "tools/presetgen/LineTokens.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

TEST(Expression, Evaluates) {
    const TVariables vars{{"i", 7}, {"AMP", 0x20}};
    const std::pair<const char*, int64_t> cases[] = {
        {"42", 42},
        {"0x1F", 31},
        {"i", 7},
        {"i+1", 8},
        {"2+3*4", 14},
        {"(2+3)*4", 20},
        {"i % 5", 2},
        {"i / 2", 3},
        {"-i", -7},
        {"10 - 2 - 3", 5},
        {"AMP + i * 2", 46},
        {"--3", 3},
        {"4294967295", 0xFFFFFFFFLL},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(EvaluateExpression(text, vars), value) << text;
    }
}

TEST(Expression, RejectsMalformed) {
    const TVariables vars{{"i", 1}};
    for (const char* text :
         {"", "j", "1 +", "(1", "1)", "1 / 0", "5 % (i-1)", "0x", "12a", "4294967296", "1 2"}) {
        EXPECT_THROW(EvaluateExpression(text, vars), EDescriptionError) << text;
    }
}

TEST(Expression, ExpandsBraces) {
    const TVariables vars{{"i", 3}};
    EXPECT_EQ(ExpandBraces("preset {i+1} \"Backup {i * 10}\"", vars), "preset 4 \"Backup 30\"");
    EXPECT_EQ(ExpandBraces("a {{b} c", vars), "a {b} c");
    EXPECT_EQ(ExpandBraces("no braces", vars), "no braces");
    EXPECT_THROW(ExpandBraces("open {i", vars), EDescriptionError);
    EXPECT_THROW(ExpandBraces("{x}", vars), EDescriptionError);
}

TEST(LineTokens, SplitsWordsKeysAndQuotedText) {
    const std::vector<TLineToken> t =
        SplitLine("preset 3 \"Glassy \\\"Clean\\\" \\x26\"  type=2 name=\"A B\"\tv=1,2");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].Value, "preset");
    EXPECT_EQ(t[1].Value, "3");
    EXPECT_TRUE(t[2].Quoted);
    EXPECT_EQ(t[2].Value, "Glassy \"Clean\" &");
    EXPECT_EQ(t[3].Key, "type");
    EXPECT_EQ(t[3].Value, "2");
    EXPECT_EQ(t[4].Key, "name");
    EXPECT_EQ(t[4].Value, "A B");
    EXPECT_TRUE(t[4].Quoted);
    EXPECT_EQ(t[5].Key, "v");
    EXPECT_EQ(t[5].Value, "1,2");
}

TEST(LineTokens, QuotedTextMayHoldAnyByte) {
    const std::vector<TLineToken> t = SplitLine("\"a\\x00b\\xFF\" \"\"");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].Value, std::string("a\0b\xFF", 4));
    EXPECT_EQ(t[1].Value, "");
    EXPECT_TRUE(t[1].Quoted);
}

TEST(LineTokens, RejectsMalformed) {
    for (const char* line : {"\"open", "=5", "a\"b\"", "\"a\"b", "\"\\q\"", "\"\\x4\""}) {
        EXPECT_THROW(SplitLine(line), EDescriptionError) << line;
    }
}

TEST(LineTokens, StripsCommentsOutsideQuotes) {
    EXPECT_EQ(StripComment("preset 1 \"#1 hit\" # note"), "preset 1 \"#1 hit\" ");
    EXPECT_EQ(StripComment("# all"), "");
    EXPECT_EQ(StripComment("raw 1 \"a\\\"#\" #x"), "raw 1 \"a\\\"#\" ");
}

} // namespace
} // namespace qvr::test
