#pragma once

#include "report/ColumnCount.h"
#include "report/ReportFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What the exporter was asked to do.
struct TCliOptions {
    int32_t Columns = DefaultColumnCount;
    bool ColumnsGiven = false;
    std::optional<std::string> ConfigDir;
    TReportFormat Format = TReportFormat::Html;
    bool FormatGiven = false;
    // --compare: PresetFile is the old side, CompareWith the new one.
    std::optional<std::string> CompareWith;
    std::optional<std::string> Output;
    std::string PresetFile;
    bool Help = false;
    bool Version = false;
};

struct TCliParse {
    std::optional<TCliOptions> Options; // unset on a usage error
    std::string Error;                  // the usage error, without program name
};

// GNU-style parsing of the arguments after the program name, as getopt_long
// does it: long options (or unique prefixes of them) as "--name value" or
// "--name=value" and short ones (-c -d -o with a value as "-c 2" or "-c2",
// -h -V, several flags in one argument) anywhere, taken left to right; help
// and version act at once; "--" ends the options; "-" is a file operand.
TCliParse ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

} // namespace qvr
