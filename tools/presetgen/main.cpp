// qvrpresetgen [-D NAME=VALUE]... DESCRIPTION OUTPUT: writes the preset or
// backup file that a preset description describes. Exit status 0 on success,
// 1 on a fault of the description (reported with its line number), 2 on a
// usage error or when a file cannot be read or written.

#include "tools/presetgen/DescriptionError.h"
#include "tools/presetgen/Expression.h"
#include "tools/presetgen/PresetGenerator.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage = "usage: qvrpresetgen [-D NAME=VALUE]... DESCRIPTION OUTPUT\n";

// NAME=VALUE of a -D option; false when malformed.
bool ParseDefine(const std::string& text, qvr::TVariables& vars) {
    const size_t eq = text.find('=');
    if (eq == 0 || eq == std::string::npos) {
        return false;
    }
    try {
        vars[text.substr(0, eq)] = qvr::EvaluateExpression(text.substr(eq + 1), vars);
    } catch (const qvr::EDescriptionError&) {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qvr::TVariables predefined;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << Usage
                      << "Writes the SysEx messages that DESCRIPTION describes to OUTPUT.\n"
                         "-D NAME=VALUE defines NAME before the first line.\n"
                         "The description format is explained in tools/presetgen/README.md.\n";
            return 0;
        }
        if (arg == "-D" && i + 1 < argc) {
            if (!ParseDefine(argv[++i], predefined)) {
                std::cerr << "qvrpresetgen: bad -D " << argv[i] << "\n" << Usage;
                return 2;
            }
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << Usage;
        return 2;
    }
    const std::string& input = files[0];
    const std::string& output = files[1];
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
    int status = 1;
    try {
        qvr::GeneratePresets(description, out, predefined);
        out.close();
        if (out) {
            return 0;
        }
        std::cerr << "qvrpresetgen: cannot write " << output << "\n";
        status = 2;
    } catch (const qvr::EDescriptionError& e) {
        std::cerr << input << ":" << e.Line << ": " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "qvrpresetgen: " << e.what() << "\n";
    }
    // A half-written file must not pass for a good one.
    out.close();
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    return status;
}
