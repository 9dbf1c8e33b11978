#pragma once

// A folder of its own for a test, and whole-file reads and writes for the files in it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace qvr::test {

// Writes the bytes to the file, creating its folders first.
inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The bytes of the file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The id of a process that has ended and been reaped: no process has it (until the ids wrap).
inline int GonePid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

// A new empty folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvrtest-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        Dir = pattern;
    }
    ~TTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Dir; }
    // The folder with a trailing '/'.
    std::string Folder() const { return Dir.string() + "/"; }
    // Writes a file at `name` below the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        WriteFileBytes(Dir / name, bytes);
        return (Dir / name).string();
    }

private:
    std::filesystem::path Dir;
};

} // namespace qvr::test
