#include "platform/RegistryFile.h"

#include "platform/FileDescriptor.h"
#include "platform/Process.h"
#include "platform/TempFiles.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qvr {

namespace fs = std::filesystem;

namespace {

// The process id the holder of a lock wrote into the lock file; 0 when there is none.
int HolderOf(int lockFd) {
    std::array<char, 16> text{};
    const ssize_t got = ::pread(lockFd, text.data(), text.size() - 1, 0);
    if (got <= 0) {
        return 0;
    }
    int pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + got, pid);
    return error == std::errc() && end != text.data() && *end == '\n' ? pid : 0;
}

// Writes `pid` as the holder's id into the lock file (none for 0).
bool SetHolder(int lockFd, int pid) {
    const std::string text = pid > 0 ? std::to_string(pid) + "\n" : std::string();
    return ::ftruncate(lockFd, 0) == 0 &&
           ::pwrite(lockFd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

} // namespace

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

// The settings folder is the user's alone: made with mode 0700 when it is missing.
bool MakeFolderOf(const fs::path& target) {
    if (!target.has_parent_path()) {
        return true;
    }
    const fs::path folder = target.parent_path();
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return fs::is_directory(folder, ec);
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
    TFileDescriptor fd;
    std::optional<TTempFileGuard> guard;
    {
        // A signal between the creation and the guard would leave the file behind.
        const TEndingSignalsHeld held;
        fd = TFileDescriptor(
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.IsOpen()) {
            guard.emplace(temp);
        }
    }
    if (!fd.IsOpen()) {
        return false;
    }
    bool ok = WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0;
    if (ok) {
        ok = ::fchmod(fd.Get(), hadOld ? old.st_mode & 07777 : NewFileMode()) == 0;
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

TRegistryWriteLock::TRegistryWriteLock(const std::string& path, std::chrono::milliseconds stall) {
    if (path.empty()) {
        return;
    }
    const fs::path target = WriteTarget(path);
    const std::string lockPath = target.string() + ".lock";
    if (!MakeFolderOf(target)) {
        return;
    }
    TFileDescriptor fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat st {};
    const bool planted = fd.IsOpen() ? ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)
                                     : errno == ELOOP || errno == EISDIR;
    if (planted) {
        Why = lockPath + " is not a plain file (a link or a folder is in its place)";
    }
    if (planted || !fd.IsOpen()) {
        return;
    }
    // A writer holds the lock for milliseconds, but on a loaded machine or a slow disk it may
    // take far longer, and a setting must not be lost for that: the wait goes on while the
    // holder gets on with its work. Only a holder that has not moved for `stall` (stopped, or
    // asleep with the lock) is taken to be stuck, and the write gives up. A holder that dies
    // releases the lock by itself.
    const auto poll = std::chrono::milliseconds(10);
    auto lastMove = std::chrono::steady_clock::now();
    std::optional<std::pair<int, TProcessActivity>> seen;
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            Why = lockPath + " cannot be locked: " + std::strerror(errno);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        const int holder = HolderOf(fd.Get());
        const std::optional<TProcessActivity> activity =
            holder == ::getpid() ? std::nullopt : ActivityOf(holder);
        if (activity && (activity->Busy || !seen || seen->first != holder ||
                         seen->second.CpuTicks != activity->CpuTicks)) {
            lastMove = now;
        }
        seen.reset();
        if (activity) {
            seen.emplace(holder, *activity);
        }
        if (now - lastMove >= stall) {
            Why = lockPath + " stays locked by another program";
            return;
        }
        std::this_thread::sleep_for(poll);
    }
    // Waiters that cannot read the holder's id judge it by time alone.
    [[maybe_unused]] const bool told = SetHolder(fd.Get(), ::getpid());
    Fd = std::move(fd);
}

// Closing the last descriptor releases the lock; the id goes first, so that no later waiter
// takes another process that got the same id for a holder.
TRegistryWriteLock::~TRegistryWriteLock() {
    if (Fd.IsOpen()) {
        [[maybe_unused]] const bool cleared = SetHolder(Fd.Get(), 0);
    }
}

} // namespace qvr
