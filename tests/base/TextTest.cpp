#include "base/Text.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEnds) {
    const struct {
        std::string In;
        std::string Out;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"abc", "abc"},
        {"  a b  ", "a b"},
        {"\t\r\nx\r\n", "x"},
        {std::string("\0\x01x\x1f ", 5), "x"},
        {"\x21x\x21", "\x21x\x21"},       // '!' (33) stays
        {"\xa0x\xa0", "\xa0x\xa0"},       // 8-bit characters stay
        {"cn = Chorus\r", "cn = Chorus"}, // CR LF line ends
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Trim(c.In), c.Out) << "input: [" << c.In << "]";
    }
}

} // namespace
} // namespace qvr::test
