#include "platform/AbsolutePath.h"

#include <filesystem>
#include <system_error>

namespace qvr {

std::string AbsolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    std::string normal = (error ? fs::path(path) : absolute).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

} // namespace qvr
