#pragma once

#include <string>

namespace qvr {

// Why the file cannot be read as a preset file, in the system's words ("Permission denied",
// "Is a directory", "No such file or directory"); empty when it is a regular file that opens
// for reading. Nothing waits: a pipe or a device is refused without being read.
std::string WhyNotReadable(const std::string& path);

} // namespace qvr
