#include "cli/CommandLine.h"

#include "base/Numbers.h"

namespace qvr {

namespace {

const int32_t MinColumns = 1;
const int32_t MaxColumns = 4;

TCliParse Fail(std::string error) {
    return TCliParse{std::nullopt, std::move(error)};
}

} // namespace

std::string UsageText() {
    return "Usage: qvrreport [--columns N] [--config-dir DIR] [--output FILE] PRESET_FILE\n"
           "Write the HTML report of a Korvane QVR preset or backup file.\n"
           "\n"
           "  --columns N       lay the presets out in N columns, 1 to 4 (default 4)\n"
           "  --config-dir DIR  look for the product configuration file in DIR first\n"
           "                    (default: the editor's folder from the settings store);\n"
           "                    the folder of qvrreport itself is searched next\n"
           "  --output FILE     write the report to FILE instead of standard output\n"
           "  --help            display this help and exit\n"
           "  --version         output version information and exit\n"
           "\n"
           "Messages go to standard error as 'error: TEXT' or 'warning: TEXT'.\n"
           "Exit status: 0 when no error was shown (warnings allowed), 1 when an error\n"
           "was shown, 2 for a usage error or an output that cannot be written.\n";
}

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
    TCliOptions options;
    std::vector<std::string> operands;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name =
            arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        std::optional<std::string> inlineValue;
        if (equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
        }

        if (name == "help" || name == "version") {
            if (inlineValue) {
                return Fail("option '--" + name + "' doesn't allow an argument");
            }
            (name == "help" ? options.Help : options.Version) = true;
            continue;
        }
        if (name != "columns" && name != "config-dir" && name != "output") {
            return Fail("unrecognized option '" + arg + "'");
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Fail("option '--" + name + "' requires an argument");
        }

        if (name == "columns") {
            const int32_t columns = StrToIntDef(value, 0);
            if (columns < MinColumns || columns > MaxColumns) {
                return Fail("invalid column count '" + value + "' (must be 1 to 4)");
            }
            options.Columns = columns;
        } else if (name == "config-dir") {
            options.ConfigDir = value;
        } else {
            options.Output = value;
        }
    }

    if (options.Help || options.Version) {
        return TCliParse{options, {}};
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
