#include "platform/ReadableFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

std::string WhyNotReadable(const std::string& path) {
    if (path.empty()) {
        return std::strerror(ENOENT);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat info {};
    const int statError = ::fstat(fd, &info) == 0 ? 0 : errno;
    ::close(fd);
    if (statError != 0) {
        return std::strerror(statError);
    }
    if (S_ISDIR(info.st_mode)) {
        return std::strerror(EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        return "Not a regular file";
    }
    return {};
}

} // namespace qvr
