#pragma once

#include <string>
#include <vector>

namespace qvr {

// qvrlib join: presets of several files into one file.
std::string JoinHelpText();
int RunJoin(const std::vector<std::string>& args);

} // namespace qvr
