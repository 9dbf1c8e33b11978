#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvr {

// Text that a terminal shows as text. Names in preset files and file names are the owner's
// data, and a control character in one (an escape sequence, a carriage return, a line feed)
// would move the cursor, clear the screen or fake a line of output when written as it is. So
// every line the programs write as text shows them escaped; JSON and CSV keep them exactly.

// The length of the valid UTF-8 sequence at the start of `bytes`; 0 when it does not start
// with one (overlong forms, surrogates and code points beyond U+10FFFF are not valid).
size_t Utf8SequenceLength(std::string_view bytes);

// Appends `text` with each control character written as the four characters \xNN
// (hexadecimal, lower case): the C0 controls but tab, DEL, and the C1 controls, whether as
// UTF-8 (U+0080 to U+009F: \x80 to \x9f) or as single bytes 0x80 to 0x9F outside a UTF-8
// sequence. Every other byte stays as it is, UTF-8 or not.
void AppendTerminalSafe(std::string& out, std::string_view text);

// The same as a new string.
std::string TerminalSafe(std::string_view text);

// "\xNN" for a byte or code point below 256.
void AppendHexEscape(std::string& out, unsigned code);

} // namespace qvr
