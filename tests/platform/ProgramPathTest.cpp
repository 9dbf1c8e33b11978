#include "platform/ProgramPath.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramPath, NamesTheRunningTestProgram) {
    const std::string file = ProgramFilePath();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(fs::path(file).is_absolute());
    EXPECT_EQ(fs::path(file).filename(), "test_platform");
    EXPECT_TRUE(fs::is_regular_file(file));

    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder + "test_platform", file);
}

// An installed program finds its data in ../share/qvrviewer/; any other, beside itself.
TEST(ProgramPath, DataFolderOf) {
    const TTempFolder temp;
    const std::string root = temp.Path().string() + "/";
    fs::create_directories(root + "usr/bin");
    fs::create_directories(root + "usr/share/qvrviewer");
    fs::create_directories(root + "build/cli");
    fs::create_directories(root + "build/share");
    fs::create_directories(root + "alone/bin");
    fs::create_directories(root + "alone/share");
    std::ofstream(root + "alone/share/qvrviewer"); // a file, not a folder
    const std::pair<std::string, std::string> cases[] = {
        {root + "usr/bin/", root + "usr/share/qvrviewer/"},
        {root + "build/cli/", root + "build/cli/"},
        {root + "alone/bin/", root + "alone/bin/"},
        {"", ""},
    };
    for (const auto& [program, data] : cases) {
        EXPECT_EQ(DataFolderOf(program), data) << program;
    }
}

TEST(ProgramPath, PathExists) {
    const TTempFolder temp;
    const fs::path& dir = temp.Path();
    std::ofstream(dir / "file.cfg") << "x";
    struct Case {
        std::string Path;
        bool Expected;
    };
    const Case cases[] = {
        {(dir / "file.cfg").string(), true},
        {dir.string(), true},
        {(dir / "missing.cfg").string(), false},
        {(dir / "file.cfg" / "below").string(), false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathExists(c.Path), c.Expected) << c.Path;
    }
}

} // namespace
} // namespace qvr::test
