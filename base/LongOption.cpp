#include "base/LongOption.h"

#include <string_view>
#include <vector>

namespace qvr {

std::string MatchLongOption(const std::string& given, const std::string& arg,
                            std::span<const char* const> options, std::string& name) {
    std::vector<std::string> candidates;
    for (const char* option : options) {
        if (given == option) {
            name = option;
            return {};
        }
        if (!given.empty() && std::string_view(option).substr(0, given.size()) == given) {
            candidates.emplace_back(option);
        }
    }
    if (candidates.size() == 1) {
        name = candidates.front();
        return {};
    }
    if (candidates.empty()) {
        return "unrecognized option '" + arg + "'";
    }
    std::string error =
        "option '" + arg.substr(0, arg.find('=')) + "' is ambiguous; possibilities:";
    for (const std::string& candidate : candidates) {
        error += " '--" + candidate + "'";
    }
    return error;
}

} // namespace qvr
