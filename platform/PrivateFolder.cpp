#include "platform/PrivateFolder.h"

#include "platform/FolderTree.h"
#include "platform/Process.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace fs = std::filesystem;

namespace {

constexpr const char* ParentName = "oktrel";
// Tries this many fresh names when a name is taken.
constexpr int NameAttempts = 100;

bool OthersMayWrite(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// A folder of this user that nobody else may write.
bool OwnAndClosed(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && !OthersMayWrite(st);
}

// A folder above a base: nobody but this user and root may rename what is in it (a sticky
// folder such as /tmp lets each user rename only their own entries).
bool SafeAbove(const struct stat& st) {
    return S_ISDIR(st.st_mode) && (st.st_uid == ::geteuid() || st.st_uid == 0) &&
           (!OthersMayWrite(st) || (st.st_mode & S_ISVTX) != 0);
}

// Opens the base by walking its real path from the root, one folder at a time without
// following links, and checks each folder on the way; not open (and `why` set) when any
// folder fails its check or is swapped for a link during the walk.
TFileDescriptor OpenSafeBase(const std::string& base, std::string& resolved, std::string& why) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(base.c_str(), nullptr),
                                                           &std::free);
    if (!real) {
        why = std::strerror(errno);
        return {};
    }
    resolved = real.get();
    TFileDescriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    size_t start = 1;
    while (folder.IsOpen()) {
        struct stat st {};
        if (::fstat(folder.Get(), &st) != 0) {
            break;
        }
        const bool last = start >= resolved.size();
        if (last ? !OwnAndClosed(st) : !SafeAbove(st)) {
            why = "not a folder of this user that only this user may change";
            return {};
        }
        if (last) {
            return folder;
        }
        size_t end = resolved.find('/', start);
        end = end == std::string::npos ? resolved.size() : end;
        folder = OpenFolderAt(folder.Get(), resolved.substr(start, end - start));
        start = end + 1;
    }
    why = std::strerror(errno);
    return {};
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

void RemoveFoldersOfGoneProcesses(int parent, const std::string& name) {
    std::vector<std::string> entries;
    ListFolder(parent, entries);
    for (const std::string& entry : entries) {
        const int pid = OwnerOf(entry, name);
        if (pid > 0 && !ProcessIsRunning(pid)) {
            RemoveFolderAt(parent, entry);
        }
    }
}

std::string RandomSuffix() {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof Letters - 2);
    std::string suffix(6, 'X');
    for (char& c : suffix) {
        c = Letters[pick(random)];
    }
    return suffix;
}

} // namespace

TPrivateFolder::TPrivateFolder(const std::vector<std::string>& bases, const std::string& name) {
    for (const std::string& base : bases) {
        if (MakeUnder(base, name)) {
            return;
        }
    }
}

bool TPrivateFolder::MakeUnder(const std::string& base, const std::string& name) {
    if (base.empty()) {
        return false;
    }
    // A missing base is made private; mkdir makes nothing where a link or a file is.
    std::error_code ec;
    fs::create_directories(fs::path(base).parent_path(), ec);
    ::mkdir(base.c_str(), 0700);
    std::string resolved;
    std::string why;
    const TFileDescriptor baseFolder = OpenSafeBase(base, resolved, why);
    TFileDescriptor parent;
    struct stat st {};
    if (baseFolder.IsOpen()) {
        if (::mkdirat(baseFolder.Get(), ParentName, 0700) != 0 && errno != EEXIST) {
            why = std::strerror(errno);
        } else if (parent = OpenFolderAt(baseFolder.Get(), ParentName);
                   !parent.IsOpen() || ::fstat(parent.Get(), &st) != 0 || !OwnAndClosed(st)) {
            why = std::string(ParentName) + " is not a folder of this user that only it may change";
        } else {
            RemoveFoldersOfGoneProcesses(parent.Get(), name);
            for (int attempt = 0; attempt < NameAttempts && FolderName.empty(); ++attempt) {
                const std::string folder =
                    name + "-" + std::to_string(::getpid()) + "-" + RandomSuffix();
                if (::mkdirat(parent.Get(), folder.c_str(), 0700) == 0) {
                    FolderName = folder;
                } else if (errno != EEXIST) {
                    break;
                }
            }
            const TFileDescriptor made =
                FolderName.empty() ? TFileDescriptor() : OpenFolderAt(parent.Get(), FolderName);
            if (made.IsOpen() && ::fstat(made.Get(), &st) == 0) {
                Device = st.st_dev;
                Inode = st.st_ino;
                Parent = std::move(parent);
                FolderPath =
                    (resolved == "/" ? "" : resolved) + "/" + ParentName + "/" + FolderName + "/";
                return true;
            }
            why = std::strerror(errno);
            FolderName.clear();
        }
    }
    Refusals += (Refusals.empty() ? "" : "; ") + base + ": " + why;
    return false;
}

TPrivateFolder::~TPrivateFolder() {
    if (Parent.IsOpen()) {
        RemoveFolderAt(Parent.Get(), FolderName, Device, Inode);
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
    const char* temp = std::getenv("TMPDIR");
    const std::string tempFolder = temp != nullptr && temp[0] == '/' ? temp : "/tmp";
    bases.push_back(tempFolder + "/oktrel-" + std::to_string(::geteuid()));
    return bases;
}

} // namespace qvr
