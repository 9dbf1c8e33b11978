#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What the exporter was asked to do.
struct TCliOptions {
    int32_t Columns = 4;
    std::optional<std::string> ConfigDir;
    std::optional<std::string> Output;
    std::string PresetFile;
    bool Help = false;
    bool Version = false;
};

struct TCliParse {
    std::optional<TCliOptions> Options; // unset on a usage error
    std::string Error;                  // the usage error, without program name
};

// GNU-style parsing of the arguments after the program name: long options
// as "--name value" or "--name=value" anywhere, "--" ends the options.
TCliParse ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

} // namespace qvr
