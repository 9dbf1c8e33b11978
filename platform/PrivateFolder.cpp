#include "platform/PrivateFolder.h"

#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace fs = std::filesystem;

namespace {

// The shared "oktrel" folder under `base`: made if missing, and used only when it is a real
// folder (not a link) of this user that nobody else may write.
bool UsableParent(const std::string& parent) {
    if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat st {};
    return ::lstat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 0022) == 0;
}

// The process id in "<name>-<pid>-XXXXXX", or 0 when the entry is not such a folder name.
int OwnerOf(const std::string& entry, const std::string& name) {
    const std::string prefix = name + "-";
    if (entry.compare(0, prefix.size(), prefix) != 0) {
        return 0;
    }
    const size_t end = entry.find('-', prefix.size());
    const std::string digits = entry.substr(prefix.size(), end - prefix.size());
    if (end == std::string::npos || digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::atoi(digits.c_str());
}

void RemoveFoldersOfGoneProcesses(const std::string& parent, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const int pid = OwnerOf(it->path().filename().string(), name);
        std::error_code typeError;
        if (pid > 0 && !ProcessIsRunning(pid) && it->is_directory(typeError) &&
            !it->is_symlink(typeError)) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
        }
    }
}

} // namespace

TPrivateFolder::TPrivateFolder(const std::vector<std::string>& bases, const std::string& name) {
    for (const std::string& base : bases) {
        std::error_code ec;
        if (base.empty() || (!fs::is_directory(base, ec) && !fs::create_directories(base, ec))) {
            continue;
        }
        const std::string parent = base + "/oktrel";
        if (!UsableParent(parent)) {
            continue;
        }
        RemoveFoldersOfGoneProcesses(parent, name);
        std::string pattern = parent + "/" + name + "-" + std::to_string(::getpid()) + "-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            FolderPath = pattern + "/";
            return;
        }
    }
}

TPrivateFolder::~TPrivateFolder() {
    if (!FolderPath.empty()) {
        std::error_code ec;
        fs::remove_all(FolderPath, ec);
    }
}

std::vector<std::string> PrivateFolderBases() {
    std::vector<std::string> bases;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        bases.emplace_back(runtime);
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        bases.emplace_back(cache);
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        bases.push_back(std::string(home) + "/.cache");
    }
    return bases;
}

} // namespace qvr
