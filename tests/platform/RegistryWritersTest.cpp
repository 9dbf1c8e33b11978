#include "RegistryFixture.h"
#include "platform/RegistryFile.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Writers of the settings file, each starting from a file with ColCount 2.
class RegistryWriters : public RegistryTest {
protected:
    static int32_t ReadColCount() {
        TRegAccess reg;
        return reg.OpenKey(SettingsKey, false) ? reg.ReadIntegerDefault("ColCount", 4) : -1;
    }

    const std::string Original = std::string(SettingsSection) + "\"ColCount\"=dword:2\n";
};

TEST_F(RegistryWriters, RewriteKeepsThePermissionsOfTheFile) {
    for (const mode_t mode : {0600, 0640, 0664}) {
        WriteFileBytes(UserFile, Original);
        ASSERT_EQ(::chmod(UserFile.c_str(), mode), 0);
        TRegAccess reg;
        ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
        reg.WriteInteger("ColCount", 3);
        EXPECT_EQ(ModeOf(UserFile), mode);
        EXPECT_EQ(ReadColCount(), 3);
    }
}

TEST_F(RegistryWriters, LinkedSettingsFileIsWrittenThroughToItsTarget) {
    const std::string target = (Dir / "dotfiles" / "registry.reg").string();
    WriteFileBytes(target, Original);
    fs::create_directories(fs::path(UserFile).parent_path());
    fs::create_symlink(target, UserFile);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    reg.WriteInteger("ColCount", 3);
    EXPECT_TRUE(fs::is_symlink(UserFile));
    EXPECT_EQ(fs::read_symlink(UserFile), target);
    EXPECT_EQ(ReadFileBytes(target),
              std::string(SettingsSection) + "\"ColCount\"=dword:00000003\n");
}

TEST_F(RegistryWriters, FileWithoutWritePermissionIsNotReplaced) {
    WriteFileBytes(UserFile, Original);
    ASSERT_EQ(::chmod(UserFile.c_str(), 0444), 0);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    EXPECT_THROW(reg.WriteInteger("ColCount", 3), ERegistryException);
    EXPECT_FALSE(reg.OpenKey("Software\\Other", true));
    EXPECT_EQ(ReadFileBytes(UserFile), Original);
    EXPECT_EQ(ModeOf(UserFile), 0444u);
}

TEST_F(RegistryWriters, TemporaryFilesOfGoneWritersAreRemoved) {
    WriteFileBytes(UserFile, Original);
    // A child that has exited is gone for good once it is reaped.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string gone = UserFile + "." + std::to_string(child) + ".tmp";
    const std::string running = UserFile + "." + std::to_string(::getppid()) + ".tmp";
    const std::string other = UserFile + ".backup.tmp";
    for (const std::string& path : {gone, running, other}) {
        WriteFileBytes(path, "half");
    }
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    reg.WriteInteger("ColCount", 3);
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(ReadColCount(), 3);
}

// The lock file and the folder it is made in are the user's alone; the settings file gets the
// mode the umask gives.
TEST_F(RegistryWriters, NewFilesAreTheUsersAlone) {
    const mode_t oldMask = ::umask(022);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(fs::path(UserFile).parent_path().string()), 0700u);
    EXPECT_EQ(ModeOf(UserFile + ".lock"), 0600u);
    EXPECT_EQ(ModeOf(UserFile), 0644u);
}

// A lock that stays taken, or a link or folder in the lock file's place, makes the write fail
// with a message that says so; nothing is written, and the program goes on.
TEST_F(RegistryWriters, ALockThatCannotBeHadIsReported) {
    WriteFileBytes(UserFile, Original);
    const std::string lock = UserFile + ".lock";
    const std::string other = (Dir / "other").string();
    WriteFileBytes(other, "other");
    struct TCase {
        const char* What;
        std::function<void()> Plant;
        const char* Message;
    };
    const TCase cases[] = {
        {"a folder", [&] { fs::create_directory(lock); }, " is not a plain file"},
        {"a link", [&] { fs::create_symlink(other, lock); }, " is not a plain file"},
    };
    for (const TCase& c : cases) {
        fs::remove(lock);
        c.Plant();
        TRegAccess reg;
        ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
        try {
            reg.WriteInteger("ColCount", 3);
            ADD_FAILURE() << c.What << ": no error";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(std::string(e.what()), "The settings cannot be saved: " + lock + c.Message +
                                                 " (a link or a folder is in its place)")
                << c.What;
        }
        EXPECT_EQ(ReadFileBytes(UserFile), Original) << c.What;
        EXPECT_EQ(ReadFileBytes(other), "other") << c.What;
    }

    fs::remove(lock);
    const TRegistryWriteLock held(UserFile);
    ASSERT_TRUE(held.Held());
    const TRegistryWriteLock waiting(UserFile, std::chrono::milliseconds(0));
    EXPECT_FALSE(waiting.Held());
    EXPECT_EQ(waiting.Problem(), lock + " stays locked by another program");
}

TEST_F(RegistryWriters, LockIsWaitedForWhileItsHolderWorks) {
    // A holder in another process: one that works for longer than the waiter's stall time,
    // and one that is stopped while it holds the lock.
    const struct {
        const char* What;
        bool Stops;
        bool Held;
    } cases[] = {{"working holder", false, true}, {"stopped holder", true, false}};
    for (const auto& c : cases) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const TRegistryWriteLock held(UserFile);
            if (::write(ready[1], "x", 1) != 1 || !held.Held()) {
                ::_exit(1);
            }
            if (c.Stops) {
                ::raise(SIGSTOP);
            }
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (std::chrono::steady_clock::now() < until) {
            }
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1) << c.What;
        ::close(ready[0]);
        ::close(ready[1]);
        {
            const TRegistryWriteLock waiting(UserFile, std::chrono::milliseconds(200));
            EXPECT_EQ(waiting.Held(), c.Held) << c.What;
        }
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    }
}

TEST_F(RegistryWriters, ConcurrentWriterProcessesLoseNothing) {
    constexpr int Writers = 2;
    constexpr int WritesEach = 200;
    pid_t children[Writers] = {};
    for (int w = 0; w < Writers; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            int failures = 0;
            for (int i = 0; i < WritesEach; ++i) {
                try {
                    TRegAccess reg;
                    failures += reg.OpenKey(SettingsKey, true) ? 0 : 1;
                    reg.WriteInteger("w" + std::to_string(w) + "_" + std::to_string(i), i + 1);
                } catch (const ERegistryException&) {
                    ++failures;
                }
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    int missing = 0;
    for (int w = 0; w < Writers; ++w) {
        for (int i = 0; i < WritesEach; ++i) {
            missing +=
                reg.ReadIntegerDefault(
                    std::string("w") + std::to_string(w) + "_" + std::to_string(i), 0) == i + 1
                    ? 0
                    : 1;
        }
    }
    EXPECT_EQ(missing, 0);
}

} // namespace
} // namespace qvr::test
