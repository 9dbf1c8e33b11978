#include "base/Text.h"

#include "base/TerminalText.h"

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

TEST(TerminalSafe, EscapesControlCharactersAndKeepsEveryOtherByte) {
    const struct {
        std::string In;
        std::string Out;
    } cases[] = {
        {"", ""},
        {"Clean\tLead", "Clean\tLead"},                   // tab stays
        {"\x1b[2J\x1b[H PWNED", "\\x1b[2J\\x1b[H PWNED"}, // C0
        {std::string("a\0b", 3), "a\\x00b"},
        {"a\nb\rc\x1f", "a\\x0ab\\x0dc\\x1f"},
        {" ~\x7f", " ~\\x7f"},                                    // DEL, the printable ends stay
        {"\xc2\x9b[2J", "\\x9b[2J"},                              // C1 as UTF-8
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\x80\\x9f\xc2\xa0"},       // its ends; U+00A0 stays
        {"caf\xc3\xa9 \xe2\x86\x92", "caf\xc3\xa9 \xe2\x86\x92"}, // other UTF-8 stays
        {"\x9b[2J \xe9t\xe9", "\\x9b[2J \xe9t\xe9"}, // a lone C1 byte; 8-bit text stays
        {"\xc2", "\xc2"},                            // a cut sequence is no control
        // Controls, DEL and 8-bit bytes inside runs of printable text, which is tested
        // eight bytes at once: at a run's first, middle and last byte, and in its tail.
        {"\x1f"
         "1234567abcdefgh",
         "\\x1f1234567abcdefgh"},
        {"0123\x1f"
         "567abcdefgh",
         "0123\\x1f567abcdefgh"},
        {"01234567\x7f"
         "ghijklmn",
         "01234567\\x7fghijklmn"},
        {"0123456789abcde\x01", "0123456789abcde\\x01"},
        {"Lead \x80 run of eight", "Lead \\x80 run of eight"},
        {"0123456789abcdef~ \x7f", "0123456789abcdef~ \\x7f"},
        {" !}~ !}~\t !}~", " !}~ !}~\t !}~"}, // the printable ends and tab stay
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalSafe(c.In), c.Out) << "input: [" << c.In << "]";
    }
}

} // namespace
} // namespace qvr::test
