#include "platform/RegistryFile.h"

#include "platform/FileDescriptor.h"
#include "platform/Process.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace fs = std::filesystem;

TRegFileState LoadRegistryFile(const std::string& path, std::string& text) {
    text.clear();
    if (path.empty()) {
        return TRegFileState::Missing;
    }
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return TRegFileState::Missing;
    }
    if (ec || status.type() != fs::file_type::regular) {
        return TRegFileState::Unreadable;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return TRegFileState::Unreadable;
    }
    // Read in pieces up to one byte past the limit, whatever size the file claims.
    std::string chunk(64 * 1024, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<size_t>(in.gcount()));
        if (text.size() > MaxRegistryFileSize) {
            text.clear();
            return TRegFileState::Unreadable;
        }
    }
    if (in.bad()) {
        text.clear();
        return TRegFileState::Unreadable;
    }
    return TRegFileState::Loaded;
}

std::string RegistryTempFileName(const std::string& path) {
    return path + "." + std::to_string(::getpid()) + ".tmp";
}

namespace {

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The file a write replaces: the target of a symbolic link at `path`, so that a linked
// settings file (as file managers of dotfiles make it) is written through, not replaced.
fs::path WriteTarget(const std::string& path) {
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    return target;
}

bool MakeFolderOf(const fs::path& target) {
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
    }
    return !ec;
}

// Removes "<name>.<pid>.tmp" files beside the target whose writer is gone: a writer killed
// between creating its temporary file and the rename leaves one behind.
void RemoveStaleTempFiles(const fs::path& target) {
    const std::string prefix = target.filename().string() + ".";
    const std::string suffix = ".tmp";
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string digits =
            name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const int pid = std::stoi(digits);
        std::error_code typeError;
        if (pid > 0 && pid != ::getpid() && !ProcessIsRunning(pid) &&
            it->symlink_status(typeError).type() == fs::file_type::regular) {
            ::unlink(it->path().c_str());
        }
    }
}

// A file that nobody may write (or that this process may not) keeps its contents.
bool MayReplace(const struct stat& old, const fs::path& target) {
    return (old.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

} // namespace

bool SaveRegistryFile(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return false;
    }
    const fs::path target = WriteTarget(path);
    if (!MakeFolderOf(target)) {
        return false;
    }
    struct stat old {};
    const bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && !MayReplace(old, target)) {
        return false;
    }
    RemoveStaleTempFiles(target);
    // A file of this name left by an earlier process with the same id goes first; the new one
    // is created afresh, never opened through whatever is planted there.
    const std::string temp = RegistryTempFileName(target.string());
    ::unlink(temp.c_str());
    TFileDescriptor fd(
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.Get() < 0) {
        return false;
    }
    bool ok = WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0;
    if (ok && hadOld) {
        ok = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
    }
    ok = fd.Close() && ok;
    if (ok) {
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) {
        ::fsync(dir.Get());
    }
    return true;
}

TRegistryWriteLock::TRegistryWriteLock(const std::string& path) {
    if (path.empty()) {
        return;
    }
    const fs::path target = WriteTarget(path);
    if (!MakeFolderOf(target)) {
        return;
    }
    const std::string lockPath = target.string() + ".lock";
    Fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (Fd < 0) {
        return;
    }
    int result = 0;
    while ((result = ::flock(Fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        ::close(Fd);
        Fd = -1;
    }
}

TRegistryWriteLock::~TRegistryWriteLock() {
    if (Fd >= 0) {
        ::close(Fd); // closing the last descriptor releases the lock
    }
}

} // namespace qvr
