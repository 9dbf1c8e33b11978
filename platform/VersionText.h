#pragma once

#include <string>

namespace qvr {

// The text of --version for `program`: "PROGRAM (PRODUCT) VERSION", then the copyright and
// the comments of the version resource, one line each, then the licence in three lines. VERSION is
// the program's version (platform/Version.h), the one the package carries too.
std::string VersionText(const std::string& program);

} // namespace qvr
