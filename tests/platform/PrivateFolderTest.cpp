#include "platform/PrivateFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

class PrivateFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qvr-private-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        Base = pattern;
    }
    void TearDown() override { fs::remove_all(Base); }

    // The id of a process that has ended and been reaped.
    static int GonePid() {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
        return child;
    }

    fs::path Base;
};

TEST_F(PrivateFolderTest, EachHolderHasAFolderOfItsOwnUntilItGoes) {
    std::string firstPath;
    {
        const TPrivateFolder first({Base.string()}, "viewer");
        const TPrivateFolder second({Base.string()}, "viewer");
        firstPath = first.Path();
        ASSERT_FALSE(firstPath.empty());
        EXPECT_NE(first.Path(), second.Path());
        const std::string prefix =
            (Base / "oktrel").string() + "/viewer-" + std::to_string(::getpid()) + "-";
        EXPECT_EQ(firstPath.compare(0, prefix.size(), prefix), 0) << firstPath;
        EXPECT_EQ(firstPath.back(), '/');
        struct stat st {};
        ASSERT_EQ(::stat(firstPath.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        std::ofstream(firstPath + "__tmp__.html") << "report";
    }
    EXPECT_FALSE(fs::exists(firstPath));
    EXPECT_TRUE(fs::is_empty(Base / "oktrel"));
}

TEST_F(PrivateFolderTest, FoldersOfGoneProcessesAreRemovedAndOthersKept) {
    const fs::path parent = Base / "oktrel";
    const fs::path gone = parent / ("viewer-" + std::to_string(GonePid()) + "-abcdef");
    const fs::path running = parent / ("viewer-" + std::to_string(::getppid()) + "-abcdef");
    const fs::path other = parent / ("capture-" + std::to_string(GonePid()) + "-abcdef");
    for (const fs::path& folder : {gone, running, other}) {
        fs::create_directories(folder);
        std::ofstream(folder / "__tmp__.html") << "left";
    }
    const TPrivateFolder folder({Base.string()}, "viewer");
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(fs::exists(running / "__tmp__.html"));
    EXPECT_TRUE(fs::exists(other / "__tmp__.html"));
}

TEST_F(PrivateFolderTest, BasesThatCannotHoldItAreSkipped) {
    std::ofstream(Base / "file") << "x";
    // A shared folder that others may write, or a link, is not used.
    fs::create_directories(Base / "open" / "oktrel");
    fs::permissions(Base / "open" / "oktrel", fs::perms::all);
    fs::create_directories(Base / "elsewhere");
    fs::create_directories(Base / "linked");
    fs::create_directory_symlink(Base / "elsewhere", Base / "linked" / "oktrel");
    const TPrivateFolder folder({"", (Base / "file").string(), (Base / "open").string(),
                                 (Base / "linked").string(), (Base / "last").string()},
                                "viewer");
    const std::string expected = (Base / "last" / "oktrel").string() + "/viewer-";
    EXPECT_EQ(folder.Path().compare(0, expected.size(), expected), 0) << folder.Path();
    EXPECT_TRUE(fs::is_empty(Base / "elsewhere"));

    const TPrivateFolder none({(Base / "file").string()}, "viewer");
    EXPECT_EQ(none.Path(), "");
}

} // namespace
} // namespace qvr::test
