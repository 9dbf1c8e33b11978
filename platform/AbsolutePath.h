#pragma once

#include <string>

namespace qvr {

// The absolute, normalised spelling of a path ("a/../b.q3a" from /home/me is
// "/home/me/b.q3a"), so that a name kept for later still names the file from any folder and
// one file is not kept twice under two spellings. Links are not resolved: a file opened
// through a link is named as it was opened. A trailing '/' is dropped; a path that cannot be
// made absolute (the current folder is gone) is only normalised.
std::string AbsolutePath(const std::string& path);

} // namespace qvr
