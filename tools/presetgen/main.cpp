// qvrpresetgen DESCRIPTION OUTPUT: writes the preset or backup file that a
// preset description describes. Exit status 0 on success, 1 on a fault of
// the description (reported with its line number), 2 on a usage error or
// when a file cannot be read or written.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/presetgen/DescriptionError.h"
#include "tools/presetgen/PresetGenerator.h"

namespace {

constexpr const char* Usage = "usage: qvrpresetgen DESCRIPTION OUTPUT\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << Usage
                  << "Writes the SysEx messages that DESCRIPTION describes to OUTPUT.\n"
                     "The description format is explained in tools/presetgen/README.md.\n";
        return 0;
    }
    if (argc != 3) {
        std::cerr << Usage;
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    std::ifstream description(input, std::ios::binary);
    if (!description) {
        std::cerr << "qvrpresetgen: cannot read " << input << "\n";
        return 2;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "qvrpresetgen: cannot write " << output << "\n";
        return 2;
    }
    try {
        qvr::GeneratePresets(description, out);
        out.close();
        if (!out) {
            throw std::runtime_error("cannot write " + output);
        }
        return 0;
    } catch (const qvr::EDescriptionError& e) {
        std::cerr << input << ":" << e.Line << ": " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "qvrpresetgen: " << e.what() << "\n";
    }
    // A half-written file must not pass for a good one.
    out.close();
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    return 1;
}
