#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What an output file would replace among the files a program reads.
struct TOutputClash {
    enum class TKind { Input, Configuration, Settings };
    TKind Kind;
    // The file as it is named: the output itself for an input, which may be named otherwise.
    std::string Path;

    // "the preset file 'PATH'", "the configuration file 'PATH'", "the settings file 'PATH'".
    std::string Text() const;
};

// The first of the program's `inputs`, the `configFiles` a report could read and the settings
// files (user and system, where the settings store is now) that writing `output` would replace:
// the same regular file once links are followed (IsSameFile). None when it replaces nothing, so
// that every program refuses the same outputs: an output must never take the place of what it
// was made from, nor of the files that make every later report.
std::optional<TOutputClash> FindOutputClash(const std::string& output,
                                            const std::vector<std::string>& inputs,
                                            const std::vector<std::string>& configFiles);

} // namespace qvr
