#pragma once

#include <string>
#include <vector>

namespace qvr {

// qvrlib set: values of a preset set as the report shows them, into a new file.
std::string SetHelpText();
int RunSet(const std::vector<std::string>& args);

// qvrlib rename: a preset named anew, into a new file.
std::string RenameHelpText();
int RunRename(const std::vector<std::string>& args);

} // namespace qvr
