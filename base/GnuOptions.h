#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qvr {

// One option a program takes.
struct TGnuOption {
    const char* Name;         // the long name, used as "--Name"
    char Short = 0;           // the short letter, used as "-S"; 0 for none
    bool TakesValue = false;  // "--Name=VALUE", "--Name VALUE", "-SVALUE" or "-S VALUE"
    bool EndsParsing = false; // like --help and --version: acts where it stands, whatever follows
};

// Called with each option given, in order, by its long name; `value` is empty for an option
// that takes none. Returns the usage error of a value it cannot take, empty when it is fine.
using TGnuOptionHandler =
    std::function<std::string(const std::string& name, const std::string& value)>;

// Parses the arguments after the program name the way getopt_long does: long options or unique
// prefixes of them, short ones grouped in one argument ("-hV", "-c2"), options and operands in
// any order, "--" ending the options and "-" alone an operand. Operands are appended to
// `operands` in order. Stops at the first error, from the parsing or from `onOption`, and returns
// it in getopt_long's words; stops without error after an option that ends the parsing. Returns
// empty when every argument was taken.
std::string ParseGnuOptions(const std::vector<std::string>& args,
                            std::span<const TGnuOption> options, const TGnuOptionHandler& onOption,
                            std::vector<std::string>& operands);

} // namespace qvr
