#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace qvr::test {

// A configuration text written to a file of its own, removed again at the end.
class TFixtureFile {
public:
    explicit TFixtureFile(const std::string& text) {
        static std::atomic<int> counter{0};
        Path = (std::filesystem::temp_directory_path() /
                ("qvr_config_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) +
                 ".cfg"))
                   .string();
        std::ofstream out(Path, std::ios::binary);
        out << text;
    }
    ~TFixtureFile() {
        std::error_code ec;
        std::filesystem::remove(Path, ec);
    }
    TFixtureFile(const TFixtureFile&) = delete;
    TFixtureFile& operator=(const TFixtureFile&) = delete;

    // The file opened the way the configuration opens it.
    std::ifstream Open() const { return std::ifstream(Path, std::ios::in | std::ios::binary); }

    std::string Path;
};

} // namespace qvr::test
