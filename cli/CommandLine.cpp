#include "cli/CommandLine.h"

#include "base/GnuOptions.h"
#include "base/Numbers.h"
#include "base/ProgramConvention.h"
#include "report/Comparison.h"

#include <array>

namespace qvr {

namespace {

TCliParse Fail(std::string error) {
    return TCliParse{std::nullopt, std::move(error)};
}

const std::array<TGnuOption, 7> Options = {{
    {.Name = "columns", .Short = 'c', .TakesValue = true},
    {.Name = "compare"},
    {.Name = "config-dir", .Short = 'd', .TakesValue = true},
    {.Name = "format", .TakesValue = true},
    {.Name = "output", .Short = 'o', .TakesValue = true},
    HelpOption,
    VersionOption,
}};

} // namespace

std::string UsageText() {
    return "Usage: qvrreport [--columns N] [--config-dir DIR] [--format FORMAT] [--output FILE]\n"
           "                 PRESET_FILE\n"
           "   or: qvrreport --compare [--config-dir DIR] [--format FORMAT] [--output FILE]\n"
           "                 OLD NEW\n"
           "Write the report of a Korvane QVR preset or backup file; with PRESET_FILE -,\n"
           "read standard input. With --compare, write what differs between two of them\n"
           "(FILE:N names preset N of a backup; one of them may be - as well).\n"
           "\n"
           "  -c, --columns N       lay the presets out in N columns, 1 to 4 (default 4;\n"
           "                        HTML reports only)\n"
           "      --compare         list the presets of NEW that differ from OLD, parameter\n"
           "                        by parameter, as text (default), html or json\n"
           "  -d, --config-dir DIR  look for the product configuration file in the existing\n"
           "                        folder DIR first (default: the editor's folder from the\n"
           "                        settings store); the program's data folder comes next\n"
           "      --format FORMAT   html (default, the viewer's document), text (one block\n"
           "                        per preset), csv (one row per parameter) or json\n"
           "  -o, --output FILE     write the report to FILE instead of standard output;\n"
           "                        FILE is replaced only by a report without errors\n"
           "  -h, --help            display this help and exit\n"
           "  -V, --version         output version information and exit\n"
           "\n"
           "Messages go to standard error as 'error: FILE: TEXT' or 'warning: FILE: TEXT',\n"
           "one for every line of the text.\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "A report with an error is a failure. With --compare: 0 no differences,\n"
           "1 differences, 2 trouble.\n";
}

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
    TCliOptions options;
    std::string formatName;
    std::vector<std::string> operands;

    // Applies an option; returns the usage error, empty when it is fine.
    const auto apply = [&options, &formatName](const std::string& name, const std::string& value) {
        if (name == "columns") {
            const int32_t columns = StrToIntDef(value, 0);
            if (!IsColumnCountInRange(columns)) {
                return "invalid column count '" + value + "' (must be 1 to 4)";
            }
            options.Columns = columns;
            options.ColumnsGiven = true;
        } else if (name == "compare") {
            options.CompareWith.emplace();
        } else if (name == "help" || name == "version") {
            (name == "help" ? options.Help : options.Version) = true;
        } else if (name == "config-dir") {
            options.ConfigDir = value;
        } else if (name == "format") {
            const std::optional<TReportFormat> format = ReportFormatByName(value);
            if (!format) {
                return "invalid format '" + value + "' (must be html, text, csv or json)";
            }
            options.Format = *format;
            options.FormatGiven = true;
            formatName = value;
        } else {
            options.Output = value;
        }
        return std::string();
    };

    if (std::string error = ParseGnuOptions(args, Options, apply, operands); !error.empty()) {
        return Fail(error);
    }
    // --help and --version act where they stand, whatever follows.
    if (options.Help || options.Version) {
        return TCliParse{options, {}};
    }

    if (options.CompareWith) {
        if (operands.size() != 2) {
            return Fail(operands.size() < 2 ? "--compare needs two files, OLD and NEW"
                                            : "extra operand '" + operands[2] + "'");
        }
        if (CompareSideOf(operands[0]).File == "-" && CompareSideOf(operands[1]).File == "-") {
            return Fail("standard input can be only one side of --compare");
        }
        if (options.ColumnsGiven) {
            return Fail("option '--columns' does not apply to --compare");
        }
        if (options.FormatGiven && options.Format == TReportFormat::Csv) {
            return Fail("invalid format 'csv' for --compare (must be text, html or json)");
        }
        options.Format = options.FormatGiven ? options.Format : TReportFormat::Text;
        options.CompareWith = operands[1];
        operands.pop_back();
    }
    if (options.ColumnsGiven && options.Format != TReportFormat::Html) {
        return Fail("option '--columns' does not apply to --format " + formatName);
    }
    if (operands.empty()) {
        return Fail("missing preset file operand");
    }
    if (operands.size() > 1) {
        return Fail("extra operand '" + operands[1] + "'");
    }
    options.PresetFile = operands[0];
    return TCliParse{options, {}};
}

} // namespace qvr
