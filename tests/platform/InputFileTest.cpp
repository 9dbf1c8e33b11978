#include "platform/InputFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

class InputFileTest : public testing::Test {
protected:
    InputFileTest() {
        std::string pattern = (fs::temp_directory_path() / "qvr-readable-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            Dir = pattern;
        }
    }
    ~InputFileTest() override { fs::remove_all(Dir); }

    // A file of `size` bytes that holds no blocks.
    void Sparse(const std::string& name, off_t size) const {
        std::ofstream(Dir / name).flush();
        ASSERT_EQ(::truncate((Dir / name).c_str(), size), 0);
    }

    fs::path Dir;
};

TEST_F(InputFileTest, NamesTheReasonAFileCannotBeRead) {
    ASSERT_FALSE(Dir.empty());
    std::ofstream(Dir / "ok.q3a") << "x";
    std::ofstream(Dir / "locked.q3a") << "x";
    fs::permissions(Dir / "locked.q3a", fs::perms::none);
    ASSERT_EQ(::mkfifo((Dir / "pipe.q3a").c_str(), 0600), 0);
    const bool root = ::geteuid() == 0; // root reads a file without permissions

    const struct {
        std::string Path;
        std::string Reason;
    } cases[] = {
        {(Dir / "ok.q3a").string(), ""},
        {(Dir / "locked.q3a").string(), root ? "" : "Permission denied"},
        {Dir.string(), "Is a directory"},
        {(Dir / "gone.q3a").string(), "No such file or directory"},
        {(Dir / "pipe.q3a").string(), "Not a regular file"},
        {"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WhyNotReadable(c.Path), c.Reason) << c.Path;
    }
}

TEST_F(InputFileTest, EachRuleTakesItsKindsWithoutWaiting) {
    ASSERT_FALSE(Dir.empty());
    std::ofstream(Dir / "ok.q3a") << "x";
    fs::create_symlink(Dir / "ok.q3a", Dir / "link.q3a");
    // A FIFO without a writer: opening it to read would wait, were it not done without.
    ASSERT_EQ(::mkfifo((Dir / "pipe.q3a").c_str(), 0600), 0);
    Sparse("limit.q3a", static_cast<off_t>(MaxInputSize));
    Sparse("over.q3a", static_cast<off_t>(MaxInputSize) + 1);
    const std::string tooLarge = "the file is larger than 256 MiB";

    const struct {
        std::string Path;
        TInputRule Rule;
        std::string Reason;
    } cases[] = {
        {(Dir / "link.q3a").string(), TInputRule::File, ""},
        {(Dir / "link.q3a").string(), TInputRule::FoundFile, "Is a symbolic link"},
        {(Dir / "ok.q3a").string(), TInputRule::FoundFile, ""},
        {(Dir / "pipe.q3a").string(), TInputRule::FoundFile, "Not a regular file"},
        {(Dir / "pipe.q3a").string(), TInputRule::FileOrStream, ""},
        {"/dev/null", TInputRule::File, "Not a regular file"},
        {"/dev/null", TInputRule::FileOrStream, ""},
        {Dir.string(), TInputRule::FileOrStream, "Is a directory"},
        {(Dir / "limit.q3a").string(), TInputRule::File, ""},
        {(Dir / "over.q3a").string(), TInputRule::File, tooLarge},
        {(Dir / "over.q3a").string(), TInputRule::FileOrStream, tooLarge},
    };
    for (const auto& c : cases) {
        const TInputFile input = TInputFile::Open(c.Path, c.Rule);
        EXPECT_EQ(input.Problem(), c.Reason) << c.Path << " " << static_cast<int>(c.Rule);
        EXPECT_EQ(input.IsOpen(), c.Reason.empty()) << c.Path;
    }
}

TEST_F(InputFileTest, ReadingStopsAtTheLimitAndTheCheck) {
    // A stream that never ends gives exactly the limit, then the refusal.
    TInputFile zeros = TInputFile::Open("/dev/zero", TInputRule::FileOrStream);
    ASSERT_TRUE(zeros.IsOpen()) << zeros.Problem();
    std::vector<char> block(1 << 20);
    uint64_t total = 0;
    try {
        while (const size_t got = zeros.Read(block.data(), block.size())) {
            total += got;
        }
        ADD_FAILURE() << "the stream ended";
    } catch (const EInputTooLarge& error) {
        EXPECT_STREQ(error.what(), "the file is larger than 256 MiB");
    }
    EXPECT_EQ(total, MaxInputSize);
    EXPECT_FALSE(zeros.Rewind()); // a stream is read once

    // A file is read again from its start; the check ends reading before a byte more is read.
    ASSERT_FALSE(Dir.empty());
    std::ofstream(Dir / "ok.q3a") << "abc";
    TInputFile file = TInputFile::Open((Dir / "ok.q3a").string(), TInputRule::File);
    ASSERT_EQ(file.Read(block.data(), block.size()), 3u);
    ASSERT_TRUE(file.Rewind());
    ASSERT_EQ(file.Read(block.data(), 2), 2u);
    struct TStop {};
    file.CheckBeforeRead([] { throw TStop{}; });
    EXPECT_THROW(file.Read(block.data(), block.size()), TStop);
    file.CheckBeforeRead(nullptr);
    EXPECT_EQ(file.Read(block.data(), block.size()), 1u);
}

} // namespace
} // namespace qvr::test
