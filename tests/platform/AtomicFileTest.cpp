#include "platform/AtomicFile.h"

#include "platform/FileDescriptor.h"
#include "platform/NewFiles.h"
#include "platform/Spool.h"
#include "platform/TempFiles.h"
#include "platform/WriteBehind.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

enum class TTarget { Missing, OldFile, Folder, InMissingFolder };

struct TAtomicCase {
    const char* What;
    TTarget Target;
    bool Commit;
    bool Committed;      // what Commit returns
    const char* Content; // the target's content afterwards; nullptr: no file there
};

class AtomicFileTest : public testing::TestWithParam<TAtomicCase> {
protected:
    // Every entry of the folder tree, so that a leftover temporary file shows.
    size_t EntryCount() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(Dir)) {
            ++n;
        }
        return n;
    }

    TTempFolder Temp;
    const fs::path Dir = Temp.Path();
};

TEST_P(AtomicFileTest, TargetIsWholeOrUntouched) {
    const TAtomicCase& c = GetParam();
    fs::path target = Dir / "report.html";
    if (c.Target == TTarget::OldFile) {
        std::ofstream(target, std::ios::binary) << "old";
    } else if (c.Target == TTarget::Folder) {
        fs::create_directory(target);
    } else if (c.Target == TTarget::InMissingFolder) {
        target = Dir / "gone" / "report.html";
    }
    const size_t entriesBefore = EntryCount();
    {
        TAtomicFile file(target.string());
        EXPECT_EQ(file.IsOpen(), c.Target == TTarget::Missing || c.Target == TTarget::OldFile)
            << c.What;
        file.Write("new ", 4);
        file.Write("text", 4);
        if (c.Commit) {
            EXPECT_EQ(file.Commit(), c.Committed) << c.What;
            EXPECT_EQ(file.Error() == 0, c.Committed) << c.What;
        }
    }
    if (c.Content == nullptr) {
        EXPECT_FALSE(fs::is_regular_file(target)) << c.What;
    } else {
        EXPECT_EQ(ReadFileBytes(target), c.Content) << c.What;
    }
    // No temporary file is left behind; a new file is the only new entry.
    const bool created = c.Committed && c.Target == TTarget::Missing;
    EXPECT_EQ(EntryCount(), entriesBefore + (created ? 1 : 0)) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AtomicFileTest,
    testing::Values(TAtomicCase{"new file", TTarget::Missing, true, true, "new text"},
                    TAtomicCase{"replaces old file", TTarget::OldFile, true, true, "new text"},
                    TAtomicCase{"not committed", TTarget::OldFile, false, false, "old"},
                    TAtomicCase{"not committed, no file", TTarget::Missing, false, false, nullptr},
                    TAtomicCase{"target is a folder", TTarget::Folder, true, false, nullptr},
                    TAtomicCase{"folder missing", TTarget::InMissingFolder, true, false, nullptr}),
    [](const testing::TestParamInfo<TAtomicCase>& info) {
        std::string name = info.param.What;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(AtomicFile, ReplacedFileKeepsItsPermissionsAndALinkIsNotFollowed) {
    const TTempFolder temp;
    const fs::path& dir = temp.Path();
    const fs::path target = dir / "out.txt";
    const fs::path other = dir / "other.txt";
    std::ofstream(target) << "old";
    std::ofstream(other) << "other";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    TAtomicFile file(target.string());
    ASSERT_TRUE(file.Write("x", 1));
    ASSERT_TRUE(file.Commit());
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A link in place of the target is replaced by the file; what it named stays.
    const fs::path link = dir / "link.txt";
    fs::create_symlink(other, link);
    TAtomicFile viaLink(link.string());
    ASSERT_TRUE(viaLink.Write("y", 1));
    ASSERT_TRUE(viaLink.Commit());
    EXPECT_FALSE(fs::is_symlink(link));
    std::ifstream in(other);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "other");
}

// Standard output's spool keeps the bytes in order, in memory and beyond its limit in a file.
mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The temporary file is the user's alone until it is complete; the new file then gets the
// mode the umask gives. A name as long as a name may be works as well.
TEST(AtomicFile, TemporaryFileIsPrivateAndLongNamesWork) {
    const TTempFolder temp;
    const mode_t oldMask = ::umask(022);
    for (const std::string& name : {std::string("out.html"), std::string(255, 'n')}) {
        const fs::path target = temp.Path() / name;
        TAtomicFile file(target.string());
        ASSERT_TRUE(file.IsOpen()) << name.size();
        ASSERT_TRUE(file.Write("x", 1));
        for (const auto& entry : fs::directory_iterator(temp.Path())) {
            EXPECT_EQ(ModeOf(entry.path()), 0600u) << entry.path();
        }
        ASSERT_TRUE(file.Commit()) << name.size();
        EXPECT_EQ(ModeOf(target), 0644u);
        fs::remove(target);
    }
    ::umask(oldMask);
}

// Writers killed outright leave their temporary files; the next write to the folder removes
// those whose process is gone, and nothing else.
TEST(AtomicFile, TemporaryFilesOfGoneWritersAreSwept) {
    const TTempFolder temp;
    const std::string gone = std::to_string(GonePid());
    const std::string running = std::to_string(::getppid());
    const std::string swept[] = {".out.html." + gone + ".17.tmp", ".x." + gone + ".0.tmp"};
    const std::string kept[] = {".out.html." + running + ".17.tmp", "out.html." + gone + ".1.tmp",
                                ".out.html." + gone + ".tmp", ".out.html." + gone + ".1.tmp~"};
    for (const std::string& name : swept) {
        temp.Write(name, "half");
    }
    for (const std::string& name : kept) {
        temp.Write(name, "mine");
    }
    fs::create_symlink(temp.Path() / kept[0], temp.Path() / (".l." + gone + ".2.tmp"));
    TAtomicFile file((temp.Path() / "other.txt").string());
    for (const std::string& name : swept) {
        EXPECT_FALSE(fs::exists(temp.Path() / name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(fs::exists(temp.Path() / name)) << name;
    }
    EXPECT_TRUE(fs::is_symlink(temp.Path() / (".l." + gone + ".2.tmp")));
}

// A writer ended by SIGINT, SIGTERM or SIGHUP leaves no temporary file, and ends as the signal
// ends a process.
TEST(AtomicFile, ASignalRemovesTheTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const TTempFolder temp;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTempFilesOnSignals();
            TAtomicFile file((temp.Path() / "out.html").string());
            file.Write("half", 4);
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_TRUE(fs::is_empty(temp.Path())) << signal;
    }
}

// A name that is taken after it was chosen, by anything planted there meanwhile, is neither
// followed nor replaced: the new file gets the next name, and what a link names stays as it
// was.
TEST(NewFiles, APlantedNameIsNeitherFollowedNorReplaced) {
    enum class TPlant { LinkToFile, DanglingLink, LinkToFolder, File };
    for (const TPlant plant :
         {TPlant::LinkToFile, TPlant::DanglingLink, TPlant::LinkToFolder, TPlant::File}) {
        const TTempFolder temp;
        const fs::path outside = temp.Path() / "outside";
        const fs::path folder = temp.Path() / "parts";
        fs::create_directory(folder);
        temp.Write("outside", "outside");
        const TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(dir.IsOpen());
        TNewFiles files(dir.Get());
        int asked = 0;
        const auto name = [&] {
            if (++asked > 1) {
                return std::string("a (2).q3p");
            }
            // Planted after the name was found free, before the file has it.
            const fs::path at = folder / "a.q3p";
            switch (plant) {
            case TPlant::LinkToFile:
                fs::create_symlink(outside, at);
                break;
            case TPlant::DanglingLink:
                fs::create_symlink(temp.Path() / "nowhere", at);
                break;
            case TPlant::LinkToFolder:
                fs::create_directory_symlink(temp.Path(), at);
                break;
            case TPlant::File:
                WriteFileBytes(at, "planted");
                break;
            }
            return std::string("a.q3p");
        };
        ASSERT_TRUE(files.Add("new", name));
        ASSERT_TRUE(files.Finish()) << files.Error();
        const int which = static_cast<int>(plant);
        EXPECT_EQ(files.Named(), std::vector<std::string>{"a (2).q3p"}) << which;
        EXPECT_EQ(ReadFileBytes(folder / "a (2).q3p"), "new") << which;
        EXPECT_EQ(ReadFileBytes(outside), "outside") << which;
        EXPECT_EQ(fs::is_symlink(folder / "a.q3p"), plant != TPlant::File) << which;
        EXPECT_FALSE(fs::exists(temp.Path() / "nowhere")) << which;
        if (plant == TPlant::File) {
            EXPECT_EQ(ReadFileBytes(folder / "a.q3p"), "planted");
        }
        // Nothing else was made, neither here nor where the links lead.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
            << which;
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2)
            << which;
    }
}

TEST(Spool, GivesBackEveryByteInOrder) {
    const size_t limit = TSpool::MemoryLimit;
    const struct {
        size_t Size;
        size_t LongestPiece;
    } cases[] = {
        {0, 70000},
        {10, 70000},
        {limit, 70000},
        {limit + 1, 70000},
        {3 * limit + 12345, 70000},
        {3 * limit + 12345, 2 * limit + 3}, // pieces longer than the memory go straight on
    };
    for (const auto& [size, longest] : cases) {
        TSpool spool;
        std::string sent;
        for (size_t i = 0; sent.size() < size; ++i) {
            std::string piece(std::min<size_t>(size - sent.size(), 1 + (i * 7919) % longest),
                              static_cast<char>('a' + i % 26));
            spool.Put(piece);
            sent += piece;
        }
        TStringTarget back;
        ASSERT_TRUE(spool.CopyTo(back)) << size;
        EXPECT_EQ(spool.Error(), 0);
        EXPECT_TRUE(back.Text == sent) << size;
    }
}

// The writing thread hands on every byte in order, across block boundaries.
TEST(WriteBehind, HandsOnEveryByteInOrder) {
    for (const size_t size : {size_t{0}, size_t{10}, TWriteBehind::BlockSize,
                              TWriteBehind::BlockSize * TWriteBehind::BlockCount * 2 + 12345}) {
        TStringTarget back;
        std::string sent;
        TWriteBehind behind(back);
        for (size_t i = 0; sent.size() < size; ++i) {
            std::string piece(std::min<size_t>(size - sent.size(), 1 + i % 300000),
                              static_cast<char>('a' + i % 26));
            behind.Put(piece);
            sent += piece;
        }
        for (int again = 0; again < 4; ++again) { // nothing left: no block may go missing
            behind.Finish();
        }
        EXPECT_TRUE(back.Text == sent) << size;
    }
}

// A target that throws gets nothing more, Finish passes the exception on, and
// a writer dropped without Finish stops at once.
TEST(WriteBehind, FailureComesOutOfFinish) {
    struct TThrowingTarget : IByteTarget {
        void Put(std::string_view) override {
            ++Calls;
            throw std::runtime_error("disk gone");
        }
        int Calls = 0;
    } target;
    TWriteBehind behind(target);
    const std::string block(TWriteBehind::BlockSize, 'x');
    for (int i = 0; i < 5; ++i) {
        behind.Put(block);
    }
    EXPECT_THROW(behind.Finish(), std::runtime_error);
    EXPECT_EQ(target.Calls, 1);

    TStringTarget back;
    {
        TWriteBehind dropped(back);
        dropped.Put("never finished");
    }
    EXPECT_EQ(back.Text, "");
}

} // namespace
} // namespace qvr::test
