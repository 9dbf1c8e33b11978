#include "library/FileScan.h"

#include "platform/AbsolutePath.h"
#include "sysex/Products.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <xxhash.h>

namespace fs = std::filesystem;

namespace qvr {

namespace {

struct TFreeState {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

TFileStamp StampOf(const struct stat& info) {
    return TFileStamp{static_cast<int64_t>(info.st_size),
                      static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                          info.st_mtim.tv_nsec};
}

std::optional<TFileStamp> StampOf(const std::string& path, TInputRule rule) {
    struct stat info {};
    const int flags = rule == TInputRule::FoundFile ? AT_SYMLINK_NOFOLLOW : 0;
    if (::fstatat(AT_FDCWD, path.c_str(), &info, flags) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return StampOf(info);
}

std::string HashOf(TInputFile& input) {
    const std::unique_ptr<XXH3_state_t, TFreeState> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) {
        throw std::bad_alloc();
    }
    std::array<char, 64 * 1024> buffer;
    while (const size_t got = input.Read(buffer.data(), buffer.size())) {
        XXH3_128bits_update(state.get(), buffer.data(), got);
    }
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state.get()));
    return std::string(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
}

std::string LibraryPathOf(const std::string& path) {
    return AbsolutePath(path);
}

std::string RealPathOf(const std::string& path) {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    return error ? LibraryPathOf(path) : real.string();
}

bool IsPresetFileName(const std::string& path) {
    // The extension as std::filesystem takes it, found without splitting the whole path: a
    // folder walk asks this of every file.
    const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name == "..") {
        return false;
    }
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return !extension.empty() && ProductByExtension(extension) != nullptr;
}

std::vector<TFoundFile> FindPresetFiles(const std::vector<std::string>& paths, bool all,
                                        const std::function<void(const std::string&)>& problem,
                                        const std::function<bool()>& stopped) {
    std::vector<TFoundFile> found;
    const auto stopping = [&stopped] { return stopped && stopped(); };
    for (const std::string& given : paths) {
        if (stopping()) {
            break;
        }
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (fs::is_regular_file(status)) {
            found.push_back({RealPathOf(given), TInputRule::File});
            continue;
        }
        if (!fs::is_directory(status)) {
            problem(given + ": " +
                    (error ? error.message() : std::string("not a file or a folder")));
            continue;
        }
        // From the folder's real path: what is found below, without following
        // links, is then named by its real path too.
        fs::recursive_directory_iterator walk(RealPathOf(given),
                                              fs::directory_options::skip_permission_denied, error);
        for (; !error && walk != fs::recursive_directory_iterator() && !stopping();
             walk.increment(error)) {
            std::error_code typeError;
            // Nobody asked for where a link in the folder leads. The type comes with the
            // folder's entry, without a look at the file (the file is looked at anyway
            // when it is opened), so that a folder of thousands is searched in a few calls.
            if (!walk->is_symlink(typeError) && walk->is_regular_file(typeError) &&
                (all || IsPresetFileName(walk->path().string()))) {
                found.push_back({walk->path().string(), TInputRule::FoundFile});
            }
        }
        if (error) {
            problem(given + ": " + error.message());
        }
    }
    // A file named as it is comes first of its path, and is the one kept.
    std::sort(found.begin(), found.end(), [](const TFoundFile& a, const TFoundFile& b) {
        return a.Path != b.Path ? a.Path < b.Path
                                : a.Rule == TInputRule::File && b.Rule != TInputRule::File;
    });
    found.erase(
        std::unique(found.begin(), found.end(),
                    [](const TFoundFile& a, const TFoundFile& b) { return a.Path == b.Path; }),
        found.end());
    return found;
}

} // namespace qvr
