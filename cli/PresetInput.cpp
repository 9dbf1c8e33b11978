#include "cli/PresetInput.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

TPresetInput::TPresetInput(const std::string& name) {
    if (name == "-") {
        Fd = STDIN_FILENO;
        FilePath = "/dev/stdin";
    } else {
        Fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        Owned = Fd >= 0;
        FilePath = name;
    }
    struct stat info {};
    if (Fd < 0) {
        OpenError = errno;
    } else if (::fstat(Fd, &info) != 0) {
        OpenError = errno;
    } else if (S_ISDIR(info.st_mode)) {
        OpenError = EISDIR;
    } else {
        Input.emplace(Fd);
    }
}

TPresetInput::~TPresetInput() {
    Input.reset();
    if (Owned) {
        ::close(Fd);
    }
}

} // namespace qvr
