#pragma once

#include <string>
#include <vector>

namespace qvr {

// A folder that belongs to one running process: "<base>/oktrel/<name>-<pid>-XXXXXX", created
// with mode 0700 under the first base folder that takes it, and removed with everything in it
// when the object goes. Folders of the same name whose process is gone (it crashed or was
// killed) are removed first. Path() is empty when no base took the folder.
class TPrivateFolder {
public:
    TPrivateFolder(const std::vector<std::string>& bases, const std::string& name);
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // The folder with a trailing '/', or empty.
    const std::string& Path() const { return FolderPath; }

private:
    std::string FolderPath;
};

// Where a process keeps its private folder: $XDG_RUNTIME_DIR when it is set to an absolute
// path, then the user's cache folder ($XDG_CACHE_HOME, or .cache in $HOME).
std::vector<std::string> PrivateFolderBases();

} // namespace qvr
