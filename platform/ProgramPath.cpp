#include "platform/ProgramPath.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace qvr {

namespace fs = std::filesystem;

namespace {

// The name the program was started with, resolved against the current folder or PATH, for
// systems without /proc.
std::string FromInvocationName() {
#ifdef __GLIBC__
    std::string name = program_invocation_name != nullptr ? program_invocation_name : "";
    std::error_code ec;
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        fs::path p = fs::weakly_canonical(fs::absolute(name, ec), ec);
        return ec ? std::string() : p.string();
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        fs::path candidate =
            fs::path(end > start ? dirs.substr(start, end - start) : std::string(".")) / name;
        if (::access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate, ec)) {
            fs::path p = fs::weakly_canonical(fs::absolute(candidate, ec), ec);
            return ec ? std::string() : p.string();
        }
        start = end + 1;
    }
#endif
    return {};
}

} // namespace

std::string ProgramFilePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.is_absolute()) {
        return exe.string();
    }
    return FromInvocationName();
}

std::string ProgramFolder() {
    std::string file = ProgramFilePath();
    if (file.empty()) {
        return {};
    }
    std::string folder = fs::path(file).parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string DataFolderOf(const std::string& programFolder) {
    if (programFolder.empty()) {
        return programFolder;
    }
    const fs::path shared = (fs::path(programFolder) / "../share/qvrviewer/").lexically_normal();
    std::error_code ec;
    return fs::is_directory(shared, ec) ? shared.string() : programFolder;
}

std::string ProgramDataFolder() {
    return DataFolderOf(ProgramFolder());
}

bool PathExists(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

} // namespace qvr
