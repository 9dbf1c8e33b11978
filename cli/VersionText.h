#pragma once

#include <string>

namespace qvr {

// The text of --version, from the version strings compiled into the program.
std::string VersionText();

} // namespace qvr
