#include "library/FileScan.h"

#include "sysex/Products.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace fs = std::filesystem;

namespace qvr {

namespace {

struct TCloseFd {
    int Fd;
    ~TCloseFd() { ::close(Fd); }
};

struct TFreeState {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

std::optional<TFileStamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return TFileStamp{static_cast<int64_t>(info.st_size),
                      static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                          info.st_mtim.tv_nsec};
}

std::optional<std::string> HashOfFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    const TCloseFd closing{fd};
    const std::unique_ptr<XXH3_state_t, TFreeState> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) {
        return std::nullopt;
    }
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        XXH3_128bits_update(state.get(), buffer.data(), static_cast<size_t>(got));
    }
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state.get()));
    return std::string(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
}

std::string LibraryPathOf(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    std::string normal = (error ? fs::path(path) : absolute).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

bool IsPresetFileName(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    if (extension.size() < 2) {
        return false;
    }
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ProductByExtension(extension) != nullptr;
}

std::vector<std::string> FindPresetFiles(const std::vector<std::string>& paths, bool all,
                                         const std::function<void(const std::string&)>& problem) {
    std::vector<std::string> found;
    for (const std::string& given : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (fs::is_regular_file(status)) {
            found.push_back(LibraryPathOf(given));
            continue;
        }
        if (!fs::is_directory(status)) {
            problem(given + ": " +
                    (error ? error.message() : std::string("not a file or a folder")));
            continue;
        }
        fs::recursive_directory_iterator walk(given, fs::directory_options::skip_permission_denied,
                                              error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            std::error_code typeError;
            if (walk->is_regular_file(typeError) &&
                (all || IsPresetFileName(walk->path().string()))) {
                found.push_back(LibraryPathOf(walk->path().string()));
            }
        }
        if (error) {
            problem(given + ": " + error.message());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace qvr
