#include "librarian/Subcommand.h"

#include <algorithm>
#include <cstdio>

namespace qvr {

TCommandArgs ParseCommandArgs(const std::vector<std::string>& args,
                              std::span<const TGnuOption> options,
                              const TGnuOptionHandler& onOption) {
    std::vector<TGnuOption> all(options.begin(), options.end());
    all.push_back({.Name = "help", .Short = 'h', .EndsParsing = true});
    TCommandArgs parsed;
    const auto apply = [&](const std::string& name, const std::string& value) {
        if (name == "help") {
            parsed.Help = true;
            return std::string();
        }
        return onOption(name, value);
    };
    parsed.Error = ParseGnuOptions(args, all, apply, parsed.Operands);
    return parsed;
}

int LibUsageError(std::string_view command, const std::string& problem) {
    LibSay(command, problem);
    const std::string help =
        command.empty() ? "qvrlib --help" : "qvrlib " + std::string(command) + " --help";
    std::fprintf(stderr, "Try '%s' for more information.\n", help.c_str());
    return LibExitUsage;
}

void LibSay(std::string_view command, const std::string& text) {
    std::string line = "qvrlib";
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about " " + std::string.
    if (!command.empty()) {
        line.append(" ").append(command);
    }
    line.append(": ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void LibShowError(const std::string& source, const std::string& text) {
    const std::string prefix = source.empty() ? "error: " : "error: " + source + ": ";
    std::string lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines += prefix + text.substr(start, end - start) + "\n";
        start = end + 1;
    }
    std::fwrite(lines.data(), 1, lines.size(), stderr);
    std::fflush(stderr);
}

int LibPrint(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? LibExitOk : LibExitUsage;
}

} // namespace qvr
