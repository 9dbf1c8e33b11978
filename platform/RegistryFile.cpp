#include "platform/RegistryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

// Closes the descriptor on every path out.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return Fd; }
    bool Close() {
        int fd = Fd;
        Fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int Fd;
};

} // namespace

bool SaveRegistryFile(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            return false;
        }
    }
    const std::string temp = RegistryTempFileName(target.string());
    struct stat old {};
    const bool hadOld = ::stat(target.c_str(), &old) == 0;
    TFileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
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

} // namespace qvr
