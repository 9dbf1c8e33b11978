#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace qvr {

// A folder that belongs to one running process: "<base>/oktrel/<name>-<pid>-XXXXXX", made with
// mode 0700 under the first base folder that may safely hold it, and removed with everything
// in it when the object goes. A base is used only when it, and every folder above it, cannot
// be changed by another user: each is owned by this user or by root, and none may be written
// by others unless it is sticky; the base itself and its "oktrel" folder must be this user's
// and written by nobody else. Folders of the same name whose process is gone (it crashed or
// was killed) are removed first. Everything is made and removed through descriptors, without
// following links, so nothing outside the folders made here is ever touched, even if a folder
// is swapped for a link meanwhile. Path() is empty when no base took the folder.
class TPrivateFolder {
public:
    TPrivateFolder(const std::vector<std::string>& bases, const std::string& name);
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // The folder with a trailing '/', or empty.
    const std::string& Path() const { return FolderPath; }
    // Why no base took the folder ("<base>: <reason>" for each one tried); empty when made.
    const std::string& Problem() const { return Refusals; }

private:
    bool MakeUnder(const std::string& base, const std::string& name);

    std::string FolderPath;
    std::string Refusals;
    TFileDescriptor Parent; // the "oktrel" folder that holds ours
    std::string FolderName;
    dev_t Device = 0;
    ino_t Inode = 0;
};

// Where a process keeps its private folder: $XDG_RUNTIME_DIR when it is set to an absolute
// path, then the user's cache folder ($XDG_CACHE_HOME, or .cache in $HOME), then a folder of
// this user in the temporary folder ($TMPDIR or /tmp).
std::vector<std::string> PrivateFolderBases();

} // namespace qvr
