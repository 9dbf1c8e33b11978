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
    for (const Case& c : cases)
        EXPECT_EQ(PathExists(c.Path), c.Expected) << c.Path;
}

} // namespace
} // namespace qvr::test
