#include "RegistryFixture.h"
#include "platform/RegistryFile.h"

#include <random>
#include <sys/resource.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

// Damaged files: what can be read is read, the rest gives defaults, and a write still lands.
struct DamagedCase {
    const char* Label;
    std::string Text;
    int32_t ColCount; // read with default 4
};

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.Label;
}

const std::string Section = "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n";

const DamagedCase DamagedCases[] = {
    {"empty", "", 4},
    {"only header", "REGEDIT4", 4},
    {"values before any section", "\"ColCount\"=dword:2\n", 4},
    {"section without bracket",
     "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer\n"
     "\"ColCount\"=dword:2\n",
     4},
    {"deleted key section",
     "[-HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n"
     "\"ColCount\"=dword:2\n",
     4},
    {"unknown root", "[HKEY_USERS\\Software\\Brindmoor\\QVRviewer]\n\"ColCount\"=dword:2\n", 4},
    {"garbage among good lines",
     Section + "\x01\x02\xff\n\"ColCount\n=\n\"ColCount\"=dword:2\n]]]\n", 2},
    {"NUL bytes", Section + std::string("\"Col\0\"=dword:1\n\"ColCount\"=dword:2\0\n", 34), 4},
    {"no line end at the end", Section + "\"ColCount\"=dword:00000002", 2},
    {"two carriage returns at a line end", Section + "\"ColCount\"=dword:2\r\r\n", 2},
    {"backslash at the end", Section + "\"ColCount\"=hex(4):02,00,00,00,\\", 4},
    {"hex with bad items", Section + "\"ColCount\"=hex(4):2,,0,0\n", 4},
    {"hex type not a number", Section + "\"ColCount\"=hex(zz):02,00,00,00\n", 4},
    {"huge line", Section + "\"ColCount\"=\"" + std::string(200000, 'x') + "\n", 4},
    {"many sections",
     [] {
         std::string s;
         for (int i = 0; i < 5000; ++i) {
             s += "[HKCU\\A\\" + std::to_string(i) + "]\n";
         }
         return s + Section + "\"ColCount\"=dword:3\n";
     }(),
     3},
};

class DamagedFile : public RegistryTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedFile, ReadsWhatItCanAndStillWrites) {
    WriteFileBytes(UserFile, GetParam().Text);
    {
        TRegAccess reg;
        if (reg.OpenKey(SettingsKey, false)) {
            EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), GetParam().ColCount);
        } else {
            EXPECT_EQ(GetParam().ColCount, 4);
        }
        EXPECT_EQ(reg.ReadStringDefault("InitialDir", "DEF"), "DEF");
    }
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteInteger("MainWidth", 700);
    reg.WriteString("InitialDir", "/x/");
    TRegAccess check;
    ASSERT_TRUE(check.OpenKey(SettingsKey, false));
    EXPECT_EQ(check.ReadIntegerDefault("MainWidth", 0), 700);
    EXPECT_EQ(check.ReadStringDefault("InitialDir", ""), "/x/");
    EXPECT_EQ(check.ReadIntegerDefault("ColCount", 4), GetParam().ColCount);
}

INSTANTIATE_TEST_SUITE_P(Registry, DamagedFile, ::testing::ValuesIn(DamagedCases));

// The most memory the process has used so far, in KiB.
long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A key of 40,000 segments (80 KB of text): its ancestors exist, its value reads, and reading
// it costs memory in proportion to the text, not to the square of its depth (gigabytes).
TEST_F(RegistryTest, ADeepKeyReadsInMemoryProportionalToItsText) {
    std::string deep = "[HKEY_CURRENT_USER";
    for (int i = 0; i < 40000; ++i) {
        deep += "\\a";
    }
    WriteFileBytes(UserFile,
                   deep + "]\n\"Deep\"=dword:7\n" + SettingsSection + "\"ColCount\"=dword:3\n");
    const long before = PeakMemoryKiB();
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 3);
    EXPECT_TRUE(reg.OpenKey("\\a\\a\\A", false)); // an ancestor, in any case
    EXPECT_FALSE(reg.OpenKey("\\a\\b", false));
    ASSERT_TRUE(reg.OpenKey(deep.substr(std::string("[HKEY_CURRENT_USER").size()), false));
    EXPECT_EQ(reg.ReadIntegerDefault("Deep", 0), 7);
    EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024);
}

TEST_F(RegistryTest, UnreadableFileGivesDefaultsAndIsNeverOverwritten) {
    // A folder where the file should be, and a file over the size limit.
    fs::create_directories(UserFile);
    TRegAccess reg;
    EXPECT_FALSE(reg.OpenKey(SettingsKey, false));
    EXPECT_FALSE(reg.OpenKey(SettingsKey, true));
    fs::remove(UserFile);

    const std::string big =
        Section + "\"ColCount\"=dword:2\n" + std::string(MaxRegistryFileSize, ';') + "\n";
    WriteFileBytes(UserFile, big);
    EXPECT_FALSE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 4);
    EXPECT_FALSE(reg.OpenKey(SettingsKey, true));
    EXPECT_EQ(fs::file_size(UserFile), big.size());
}

TEST_F(RegistryTest, WriteThatWouldOutgrowTheLimitFails) {
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteString("InitialDir", "/a/");
    const std::string before = ReadFileBytes(UserFile);
    EXPECT_THROW(reg.WriteString("Big", std::string(MaxRegistryFileSize, 'x')), ERegistryException);
    EXPECT_EQ(ReadFileBytes(UserFile), before);
}

TEST_F(RegistryTest, NamesThatCannotBeStoredFail) {
    TRegAccess reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Bad\nKey", true));
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    EXPECT_THROW(reg.WriteInteger("two\nlines", 1), ERegistryException);
    EXPECT_THROW(reg.WriteInteger(std::string("nul\0", 4), 1), ERegistryException);
    // Quotes and backslashes in names are escaped.
    reg.WriteInteger("a\"b\\c", 5);
    EXPECT_EQ(reg.ReadIntegerDefault("A\"B\\C", 0), 5);
}

// Random bytes and random mixtures of registry lines: reading never fails, and a value
// written afterwards always reads back.
TEST_F(RegistryTest, SurvivesRandomFiles) {
    std::mt19937 rng(20260101);
    const std::string pieces[] = {
        "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]",
        "[HKCU\\Software]",
        "[",
        "]",
        "\"ColCount\"=dword:2",
        "\"ColCount\"=",
        "\"MainWidth\"=hex(4):01,02,03,04,\\",
        "  05,06",
        "\\",
        "\"",
        "@=\"x\"",
        "=",
        "\n",
        "\r\n",
        std::string(1, '\0'),
        "hex(",
        "expand:\"",
    };
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int parts = round % 40;
        for (int i = 0; i < parts; ++i) {
            if (rng() % 3 == 0) {
                text += static_cast<char>(byte(rng));
            } else {
                text += pieces[piece(rng)];
            }
        }
        WriteFileBytes(UserFile, text);
        {
            TRegAccess reg;
            if (reg.OpenKey(SettingsKey, false)) {
                reg.ReadIntegerDefault("ColCount", 4);
                reg.ReadStringDefault("MainWidth", "");
            }
        }
        TRegAccess reg;
        ASSERT_TRUE(reg.OpenKey(SettingsKey, true)) << round;
        reg.WriteInteger("MainWidth", round);
        reg.WriteString("InitialDir", "/r/");
        TRegAccess check;
        ASSERT_TRUE(check.OpenKey(SettingsKey, false));
        EXPECT_EQ(check.ReadIntegerDefault("MainWidth", -1), round) << text;
        EXPECT_EQ(check.ReadStringDefault("InitialDir", ""), "/r/") << text;
    }
}

} // namespace
} // namespace qvr::test
