#pragma once

#include <string>

namespace qvr {

// The preset file named on a raw command-line tail (the text after the program
// name and its following blanks, as a GUI program receives it): a leading double
// quote is dropped and the name ends before the next double quote, or before
// the first space when no closing quote follows; an unquoted name ends before
// the first space. Tabs are no separators; further arguments are ignored.
std::string CutCommandLineTail(const std::string& tail);

} // namespace qvr
