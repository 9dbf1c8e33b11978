#pragma once

#include <string>
#include <vector>

namespace qvr {

// qvrlib split: every preset of a file to a file of its own.
std::string SplitHelpText();
int RunSplit(const std::vector<std::string>& args);

} // namespace qvr
