#include "platform/ReadableFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

TEST(ReadableFile, NamesTheReasonAFileCannotBeRead) {
    std::string pattern = (fs::temp_directory_path() / "qvr-readable-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    std::ofstream(dir / "ok.q3a") << "x";
    std::ofstream(dir / "locked.q3a") << "x";
    fs::permissions(dir / "locked.q3a", fs::perms::none);
    ASSERT_EQ(::mkfifo((dir / "pipe.q3a").c_str(), 0600), 0);
    const bool root = ::geteuid() == 0; // root reads a file without permissions

    const struct {
        std::string Path;
        std::string Reason;
    } cases[] = {
        {(dir / "ok.q3a").string(), ""},
        {(dir / "locked.q3a").string(), root ? "" : "Permission denied"},
        {dir.string(), "Is a directory"},
        {(dir / "gone.q3a").string(), "No such file or directory"},
        {(dir / "pipe.q3a").string(), "Not a regular file"},
        {"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WhyNotReadable(c.Path), c.Reason) << c.Path;
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace qvr::test
