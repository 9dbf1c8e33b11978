#pragma once

#include <string>

namespace qvr {

// Whether the two paths name one regular file: the same device and inode once symbolic links
// are followed, so hard links and links to a file count as that file. False when either path
// cannot be looked at (a file that does not exist yet is no other file), and for anything but
// a regular file: a terminal or pipe named twice holds nothing that a write would replace.
bool IsSameFile(const std::string& a, const std::string& b);

} // namespace qvr
