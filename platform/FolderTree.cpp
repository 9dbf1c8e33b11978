#include "platform/FolderTree.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace qvr {

namespace {

// Deeper trees are not ours: the folders we make hold files, not nested folders. The bound
// keeps the descriptors and the stack a removal uses small.
constexpr int MaxDepth = 16;

struct TDirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

bool ListFolder(int folder, std::vector<std::string>& names) {
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        return false;
    }
    const std::unique_ptr<DIR, TDirCloser> dir(::fdopendir(copy));
    if (!dir) {
        ::close(copy);
        return false;
    }
    ::rewinddir(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    return true;
}

namespace {

bool RemoveContents(int folder, dev_t device, int depth) {
    std::vector<std::string> names;
    if (!ListFolder(folder, names)) {
        return false;
    }
    bool whole = true;
    for (const std::string& name : names) {
        if (::unlinkat(folder, name.c_str(), 0) == 0) {
            continue;
        }
        if (errno != EISDIR && errno != EPERM) {
            whole = whole && errno == ENOENT;
            continue;
        }
        const TFileDescriptor inner = OpenFolderAt(folder, name);
        struct stat st {};
        if (depth >= MaxDepth || !inner.IsOpen() || ::fstat(inner.Get(), &st) != 0 ||
            st.st_dev != device || !RemoveContents(inner.Get(), device, depth + 1) ||
            ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0) {
            whole = false;
        }
    }
    return whole;
}

} // namespace

TFileDescriptor OpenFolderAt(int parent, const std::string& name) {
    return TFileDescriptor(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool RemoveFolderAt(int parent, const std::string& name, dev_t device, ino_t inode) {
    const TFileDescriptor folder = OpenFolderAt(parent, name);
    struct stat st {};
    if (!folder.IsOpen() || ::fstat(folder.Get(), &st) != 0) {
        return false;
    }
    if ((device != 0 || inode != 0) && (st.st_dev != device || st.st_ino != inode)) {
        return false;
    }
    return RemoveContents(folder.Get(), st.st_dev, 0) &&
           ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace qvr
