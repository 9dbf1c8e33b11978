#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace qvr {

// Opens the folder `name` inside the open folder `parent` without following a symbolic link at
// `name`; not open when it is anything but a real folder.
TFileDescriptor OpenFolderAt(int parent, const std::string& name);

// Adds the names in the open folder (without "." and "..") to `names`; false when it cannot
// be read. The folder's own descriptor is left where it was.
bool ListFolder(int folder, std::vector<std::string>& names);

// Removes the folder `name` inside the open folder `parent` with everything in it, working
// only through descriptors: a symbolic link met anywhere is removed itself, never followed,
// and nothing on another file system (a mount inside the tree) is entered, so nothing outside
// the tree can be touched, whatever is renamed or planted while it runs. When `device` and
// `inode` are given (non-zero), the folder is removed only if it is still that folder.
// False when anything was left.
bool RemoveFolderAt(int parent, const std::string& name, dev_t device = 0, ino_t inode = 0);

} // namespace qvr
