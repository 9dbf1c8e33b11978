#include "base/GnuOptions.h"

#include "base/LongOption.h"

namespace qvr {

namespace {

const TGnuOption* FindByName(std::span<const TGnuOption> options, const std::string& name) {
    for (const TGnuOption& option : options) {
        if (name == option.Name) {
            return &option;
        }
    }
    return nullptr;
}

const TGnuOption* FindByLetter(std::span<const TGnuOption> options, char letter) {
    for (const TGnuOption& option : options) {
        if (option.Short != 0 && option.Short == letter) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

std::string ParseGnuOptions(const std::vector<std::string>& args,
                            std::span<const TGnuOption> options, const TGnuOptionHandler& onOption,
                            std::vector<std::string>& operands) {
    std::vector<const char*> names;
    for (const TGnuOption& option : options) {
        names.push_back(option.Name);
    }
    bool optionsEnded = false;

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
                const TGnuOption* const option = FindByLetter(options, letter);
                if (option == nullptr) {
                    return std::string("invalid option -- '") + letter + "'";
                }
                std::string value;
                if (option->TakesValue) {
                    if (j + 1 < arg.size()) {
                        value = arg.substr(j + 1);
                    } else if (i + 1 < args.size()) {
                        value = args[++i];
                    } else {
                        return std::string("option requires an argument -- '") + letter + "'";
                    }
                }
                if (std::string error = onOption(option->Name, value); !error.empty()) {
                    return error;
                }
                if (option->EndsParsing) {
                    return {};
                }
                if (option->TakesValue) {
                    break;
                }
            }
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string given =
            arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        std::string name;
        if (std::string error = MatchLongOption(given, arg, names, name); !error.empty()) {
            return error;
        }
        const TGnuOption& option = *FindByName(options, name);
        std::string value;
        if (!option.TakesValue) {
            if (equals != std::string::npos) {
                return "option '--" + name + "' doesn't allow an argument";
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return "option '--" + name + "' requires an argument";
        }
        if (std::string error = onOption(name, value); !error.empty()) {
            return error;
        }
        if (option.EndsParsing) {
            return {};
        }
    }
    return {};
}

} // namespace qvr
