#include "cli/CommandLine.h"

#include "base/LongOption.h"
#include "base/Numbers.h"

#include <array>

namespace qvr {

namespace {

TCliParse Fail(std::string error) {
    return TCliParse{std::nullopt, std::move(error)};
}

const std::array<const char*, 7> LongOptions = {"columns", "compare", "config-dir", "format",
                                                "output",  "help",    "version"};

// The long option of a short one that takes a value, or nullptr.
const char* ShortOptionName(char letter) {
    switch (letter) {
    case 'c':
        return "columns";
    case 'd':
        return "config-dir";
    case 'o':
        return "output";
    default:
        return nullptr;
    }
}

} // namespace

std::string UsageText() {
    return "Usage: qvrreport [--columns N] [--config-dir DIR] [--format FORMAT] [--output FILE]\n"
           "                 PRESET_FILE\n"
           "   or: qvrreport --compare [--config-dir DIR] [--format FORMAT] [--output FILE]\n"
           "                 OLD NEW\n"
           "Write the report of a Korvane QVR preset or backup file; with PRESET_FILE -,\n"
           "read standard input. With --compare, write what differs between two of them\n"
           "(FILE:N names preset N of a backup).\n"
           "\n"
           "  -c, --columns N       lay the presets out in N columns, 1 to 4 (default 4)\n"
           "      --compare         list the presets of NEW that differ from OLD, parameter\n"
           "                        by parameter, as text (default), html or json\n"
           "  -d, --config-dir DIR  look for the product configuration file in DIR first\n"
           "                        (default: the editor's folder from the settings store);\n"
           "                        the program's data folder is searched next\n"
           "      --format FORMAT   html (default, the viewer's document), text (one block\n"
           "                        per preset), csv (one row per parameter) or json\n"
           "  -o, --output FILE     write the report to FILE instead of standard output;\n"
           "                        FILE is replaced only by a finished report\n"
           "  -h, --help            display this help and exit\n"
           "  -V, --version         output version information and exit\n"
           "\n"
           "Messages go to standard error as 'error: TEXT' or 'warning: TEXT'.\n"
           "Exit status: 0 when no error was shown (warnings allowed), 1 when an error\n"
           "was shown, 2 for a usage error or an output that cannot be written.\n"
           "With --compare: 0 no differences, 1 differences, 2 trouble.\n";
}

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
    TCliOptions options;
    std::vector<std::string> operands;
    bool optionsEnded = false;

    // Applies an option that takes a value; returns the usage error, empty when it is fine.
    const auto apply = [&options](const std::string& name, const std::string& value) {
        if (name == "columns") {
            const int32_t columns = StrToIntDef(value, 0);
            if (!IsColumnCountInRange(columns)) {
                return "invalid column count '" + value + "' (must be 1 to 4)";
            }
            options.Columns = columns;
        } else if (name == "config-dir") {
            options.ConfigDir = value;
        } else if (name == "format") {
            const std::optional<TReportFormat> format = ReportFormatByName(value);
            if (!format) {
                return "invalid format '" + value + "' (must be html, text, csv or json)";
            }
            options.Format = *format;
            options.FormatGiven = true;
        } else {
            options.Output = value;
        }
        return std::string();
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-" alone names a file, standard input, as it does for every GNU program.
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg[1] != '-') {
            // Short options, several in one argument ("-hV"); one that takes a value takes the
            // rest of the argument ("-c2") or else the next one ("-c 2").
            for (size_t j = 1; j < arg.size(); ++j) {
                const char letter = arg[j];
                if (letter == 'h' || letter == 'V') {
                    (letter == 'h' ? options.Help : options.Version) = true;
                    return TCliParse{options, {}};
                }
                const char* const name = ShortOptionName(letter);
                if (name == nullptr) {
                    return Fail(std::string("invalid option -- '") + letter + "'");
                }
                std::string value;
                if (j + 1 < arg.size()) {
                    value = arg.substr(j + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                } else {
                    return Fail(std::string("option requires an argument -- '") + letter + "'");
                }
                if (std::string error = apply(name, value); !error.empty()) {
                    return Fail(error);
                }
                break;
            }
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string given =
            arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        std::optional<std::string> inlineValue;
        if (equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
        }
        std::string name;
        if (std::string error = MatchLongOption(given, arg, LongOptions, name); !error.empty()) {
            return Fail(error);
        }

        // --help and --version end the parsing where they stand, whatever follows.
        if (name == "help" || name == "version") {
            if (inlineValue) {
                return Fail("option '--" + name + "' doesn't allow an argument");
            }
            (name == "help" ? options.Help : options.Version) = true;
            return TCliParse{options, {}};
        }
        if (name == "compare") {
            if (inlineValue) {
                return Fail("option '--compare' doesn't allow an argument");
            }
            options.CompareWith.emplace();
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Fail("option '--" + name + "' requires an argument");
        }
        if (std::string error = apply(name, value); !error.empty()) {
            return Fail(error);
        }
    }

    if (options.CompareWith) {
        if (operands.size() != 2) {
            return Fail(operands.size() < 2 ? "--compare needs two files, OLD and NEW"
                                            : "extra operand '" + operands[2] + "'");
        }
        if (options.FormatGiven && options.Format == TReportFormat::Csv) {
            return Fail("invalid format 'csv' for --compare (must be text, html or json)");
        }
        options.Format = options.FormatGiven ? options.Format : TReportFormat::Text;
        options.CompareWith = operands[1];
        operands.pop_back();
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
