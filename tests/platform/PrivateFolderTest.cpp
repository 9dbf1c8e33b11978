#include "platform/PrivateFolder.h"

#include "tests/support/TempFolder.h"

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
    EXPECT_NE(none.Problem().find((Base / "file").string() + ": "), std::string::npos);
}

// A base that another user could change is refused, and so is one below such a folder: its
// owner could swap the folders in it for links between the checks and the removal.
TEST_F(PrivateFolderTest, BasesOthersCouldChangeAreRefused) {
    struct TCase {
        const char* Name;
        const char* Base;    // below Base
        const char* Changed; // the folder given `mode` (and, as root, another owner)
        fs::perms Mode;
        bool Foreign;
    };
    const TCase cases[] = {
        {"base open to all", "open", "open", fs::perms::all, false},
        {"base sticky and open", "sticky", "sticky", fs::perms::all | fs::perms::sticky_bit, false},
        {"folder above open to all", "above/base", "above", fs::perms::all, false},
        {"base of another user", "foreign", "foreign", fs::perms::owner_all, true},
        {"folder above of another user", "theirs/base", "theirs", fs::perms::owner_all, true},
    };
    for (const TCase& c : cases) {
        if (c.Foreign && ::geteuid() != 0) {
            continue; // only root can give a folder away
        }
        fs::create_directories(Base / c.Base);
        fs::permissions(Base / c.Changed, c.Mode);
        if (c.Foreign) {
            ASSERT_EQ(::chown((Base / c.Changed).c_str(), 4242, 4242), 0);
        }
        const TPrivateFolder folder({(Base / c.Base).string()}, "viewer");
        EXPECT_EQ(folder.Path(), "") << c.Name;
        EXPECT_FALSE(fs::exists(Base / c.Base / "oktrel")) << c.Name;
    }
    // A sticky folder above is fine: nobody else may rename what is in it.
    fs::create_directories(Base / "tmp" / "base");
    fs::permissions(Base / "tmp", fs::perms::all | fs::perms::sticky_bit);
    const TPrivateFolder folder({(Base / "tmp" / "base").string()}, "viewer");
    EXPECT_NE(folder.Path(), "");
}

// The folder swapped for a link to another folder while the holder runs: the other folder
// keeps its files when the holder goes. (Another user's swap of a folder above the base is
// prevented by refusing such bases; to reproduce it by hand, point XDG_RUNTIME_DIR at a 1777
// folder of another user, who renames the "oktrel" folder in it with renameat2
// RENAME_EXCHANGE while the viewer runs: the viewer uses another base instead.)
TEST_F(PrivateFolderTest, AFolderSwappedForALinkLeavesItsTargetAlone) {
    const fs::path victim = Base / "victim";
    fs::create_directories(victim / "inner");
    std::ofstream(victim / "keep.txt") << "mine";
    std::ofstream(victim / "inner" / "keep.txt") << "mine";
    std::string path;
    {
        const TPrivateFolder folder({(Base / "base").string()}, "viewer");
        path = folder.Path();
        ASSERT_FALSE(path.empty());
        path.pop_back();
        fs::rename(path, Base / "moved");
        fs::create_directory_symlink(victim, path);
    }
    EXPECT_TRUE(fs::exists(victim / "keep.txt"));
    EXPECT_TRUE(fs::exists(victim / "inner" / "keep.txt"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_TRUE(fs::exists(Base / "moved")); // not the folder it made any more: left alone
}

// A folder of a gone process holds links and folders: the links go, their targets stay.
TEST_F(PrivateFolderTest, RemovalNeverFollowsLinksInside) {
    const fs::path victim = Base / "victim";
    fs::create_directories(victim);
    std::ofstream(victim / "keep.txt") << "mine";
    const fs::path gone =
        Base / "base" / "oktrel" / ("viewer-" + std::to_string(GonePid()) + "-abcdef");
    fs::create_directories(gone / "inner");
    fs::create_directory_symlink(victim, gone / "link");
    fs::create_directory_symlink(victim, gone / "inner" / "link");
    const TPrivateFolder folder({(Base / "base").string()}, "viewer");
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(fs::exists(victim / "keep.txt"));
}

} // namespace
} // namespace qvr::test
