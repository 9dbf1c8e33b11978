#include "RegistryFixture.h"
#include "platform/RegistryFile.h"

#include <climits>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

// One stored value and what each kind of read makes of it (integer default 4, string
// default "DEF").
struct TypedReadCase {
    const char* Label;
    std::string Lines; // below the settings section
    const char* Name;
    int32_t Integer;
    std::string Text;
};

const TypedReadCase TypedReadCases[] = {
    {"dword", "\"ColCount\"=dword:00000002\n", "ColCount", 2, "DEF"},
    {"dword negative", "\"MainTop\"=dword:ffffffec\n", "MainTop", -20, "DEF"},
    {"dword short form", "\"ColCount\"=dword:3\n", "ColCount", 3, "DEF"},
    {"dword too long", "\"ColCount\"=dword:100000000\n", "ColCount", 4, "DEF"},
    {"dword not hex", "\"ColCount\"=dword:00000x02\n", "ColCount", 4, "DEF"},
    {"string number is not an integer", "\"ColCount\"=\"3\"\n", "ColCount", 4, "3"},
    {"escapes", "\"InitialDir\"=\"C:\\\\x \\\"y\\\"\\\\\"\n", "InitialDir", 4, "C:\\x \"y\"\\"},
    {"empty string exists", "\"InitialDir\"=\"\"\n", "InitialDir", 4, ""},
    {"expand form kept unexpanded", "\"InitialDir\"=expand:\"%HOME%\\\\x\"\n", "InitialDir", 4,
     "%HOME%\\x"},
    {"hex(2) is expandable text", "\"InitialDir\"=hex(2):25,41,25,00\n", "InitialDir", 4, "%A%"},
    {"hex(1) text ends at NUL", "\"InitialDir\"=hex(1):41,00,42,00\n", "InitialDir", 4, "A"},
    {"binary is no text", "\"InitialDir\"=hex:41,42\n", "InitialDir", 4, "DEF"},
    {"empty binary reads as empty text", "\"InitialDir\"=hex:\n", "InitialDir", 4, ""},
    {"hex(4) is a dword", "\"ColCount\"=hex(4):02,00,00,00\n", "ColCount", 2, "DEF"},
    {"hex(4) of wrong size", "\"ColCount\"=hex(4):02,00\n", "ColCount", 4, "DEF"},
    {"big-endian dword is another type", "\"ColCount\"=hex(5):00,00,00,02\n", "ColCount", 4, "DEF"},
    {"continued hex lines", "\"InitialDir\"=hex(1):41,\\\n  42,\\\n  43,00\n", "InitialDir", 4,
     "ABC"},
    {"continuation needs indent", "\"InitialDir\"=hex(1):41,\\\n42,00\n", "InitialDir", 4, "DEF"},
    {"value names ignore case", "\"colcount\"=dword:00000001\n", "ColCount", 1, "DEF"},
    {"last definition wins", "\"ColCount\"=dword:1\n\"ColCount\"=dword:2\n", "ColCount", 2, "DEF"},
    {"later bad line does not hide", "\"ColCount\"=dword:1\n\"ColCount\"=dword:zz\n", "ColCount", 1,
     "DEF"},
    {"blanks around =", "  \"ColCount\" = dword:00000002  \n", "ColCount", 2, "DEF"},
    {"default value", "@=\"main\"\n", "", 4, "main"},
    {"missing value", "\"Other\"=dword:1\n", "ColCount", 4, "DEF"},
    {"deletion entry is skipped", "\"ColCount\"=-\n", "ColCount", 4, "DEF"},
    {"unterminated string", "\"InitialDir\"=\"abc\n", "InitialDir", 4, "DEF"},
    {"text after string", "\"InitialDir\"=\"abc\" x\n", "InitialDir", 4, "DEF"},
};

void PrintTo(const TypedReadCase& c, std::ostream* os) {
    *os << c.Label;
}

class TypedRead : public RegistryTest, public ::testing::WithParamInterface<TypedReadCase> {};

TEST_P(TypedRead, GivesValueOrDefault) {
    const TypedReadCase& c = GetParam();
    WriteFileBytes(UserFile, std::string("REGEDIT4\n\n") + SettingsSection + c.Lines);
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault(c.Name, 4), c.Integer);
    EXPECT_EQ(reg.ReadStringDefault(c.Name, "DEF"), c.Text);
}

INSTANTIATE_TEST_SUITE_P(Registry, TypedRead, ::testing::ValuesIn(TypedReadCases),
                         [](const auto& info) {
                             std::string name = info.param.Label;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

// The key path forms that name the settings key.
TEST_F(RegistryTest, KeyPathsCompareWithoutCaseAndRootMayBeAbbreviated) {
    const char* headers[] = {
        "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]",
        "[hkey_current_user\\SOFTWARE\\brindmoor\\qvrVIEWER]",
        "[HKCU\\Software\\Brindmoor\\QVRviewer]",
        "  [HKEY_CURRENT_USER\\\\Software\\Brindmoor\\QVRviewer\\]  ",
    };
    for (const char* header : headers) {
        WriteFileBytes(UserFile, std::string(header) + "\r\n\"ColCount\"=dword:00000002\r\n");
        TRegAccess reg;
        ASSERT_TRUE(reg.OpenKey("software\\BRINDMOOR\\qvrviewer", false)) << header;
        EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 2) << header;
    }
}

TEST_F(RegistryTest, MissingKeyFailsWithoutCreatingAnything) {
    TRegAccess reg;
    EXPECT_FALSE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 4);
    EXPECT_EQ(reg.ReadStringDefault("InitialDir", "DEF"), "DEF");
    EXPECT_FALSE(fs::exists(UserFile));

    // Another key in the file does not help, nor does a key of the same name under HKLM.
    WriteFileBytes(UserFile, "[HKEY_CURRENT_USER\\Software\\Other]\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Brindmoor\\QVRviewer]\n");
    const std::string before = ReadFileBytes(UserFile);
    EXPECT_FALSE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(ReadFileBytes(UserFile), before);
}

TEST_F(RegistryTest, AncestorsOfAKeyExist) {
    WriteFileBytes(UserFile, std::string(SettingsSection) + "\"ColCount\"=dword:2\n");
    TRegAccess reg;
    EXPECT_TRUE(reg.OpenKey("Software\\Brindmoor", false));
    // Relative to the open key, as the accessor of the class library does it.
    EXPECT_TRUE(reg.OpenKey("QVRviewer", false));
    EXPECT_EQ(reg.CurrentPath(), SettingsKey);
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 2);
    EXPECT_FALSE(reg.OpenKey("QVRviewer", false)); // ...\QVRviewer\QVRviewer
    EXPECT_EQ(reg.CurrentPath(), SettingsKey);     // a failed open keeps the key
    EXPECT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.CurrentPath(), "Software");
}

TEST_F(RegistryTest, FirstWriteCreatesKeyAndFolder) {
    {
        TRegAccess reg;
        reg.SetRootKey(TRegRoot::CurrentUser);
        ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
        reg.WriteInteger("MainWidth", 736);
        reg.WriteInteger("MainLeft", -20);
        reg.WriteInteger("ColCount", INT32_MIN);
        reg.WriteString("InitialDir", "C:\\x \"y\"\\");
        reg.WriteString("Odd", "two\nlines");
        reg.WriteString("Empty", "");
        reg.CloseKey();
    }
    EXPECT_EQ(ReadFileBytes(UserFile), "REGEDIT4\n"
                                       "\n"
                                       "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n"
                                       "\"MainWidth\"=dword:000002e0\n"
                                       "\"MainLeft\"=dword:ffffffec\n"
                                       "\"ColCount\"=dword:80000000\n"
                                       "\"InitialDir\"=\"C:\\\\x \\\"y\\\"\\\\\"\n"
                                       "\"Odd\"=hex(1):74,77,6f,0a,6c,69,6e,65,73,00\n"
                                       "\"Empty\"=\"\"\n");
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault("MainWidth", 0), 736);
    EXPECT_EQ(reg.ReadIntegerDefault("MainLeft", 0), -20);
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 0), INT32_MIN);
    EXPECT_EQ(reg.ReadStringDefault("InitialDir", ""), "C:\\x \"y\"\\");
    EXPECT_EQ(reg.ReadStringDefault("Odd", ""), "two\nlines");
    EXPECT_EQ(reg.ReadStringDefault("Empty", "DEF"), "");
}

TEST_F(RegistryTest, OpenWithCreateWritesAnEmptyKey) {
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.CloseKey();
    EXPECT_EQ(ReadFileBytes(UserFile), std::string("REGEDIT4\n\n") + SettingsSection);
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
}

TEST_F(RegistryTest, RewriteKeepsOtherLinesAndReplacesInPlace) {
    const std::string original = "REGEDIT4\r\n"
                                 "; written by hand\n"
                                 "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n"
                                 "\"ColCount\"=dword:00000001\n"
                                 "\"Raw\"=hex:01,\\\n"
                                 "  02\n"
                                 "garbage line\n"
                                 "\n"
                                 "[HKEY_CLASSES_ROOT\\.q1p]\n"
                                 "@=\"kept\"\n";
    WriteFileBytes(UserFile, original);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteInteger("colcount", 3); // same value, other spelling
    reg.WriteString("InitialDir", "/home/u/");
    reg.WriteString("Raw", "now text");
    EXPECT_EQ(ReadFileBytes(UserFile), "REGEDIT4\n"
                                       "; written by hand\n"
                                       "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n"
                                       "\"colcount\"=dword:00000003\n"
                                       "\"Raw\"=\"now text\"\n"
                                       "\"InitialDir\"=\"/home/u/\"\n"
                                       "garbage line\n"
                                       "\n"
                                       "[HKEY_CLASSES_ROOT\\.q1p]\n"
                                       "@=\"kept\"\n");
}

TEST_F(RegistryTest, WriteWithoutOpenKeyFails) {
    TRegAccess reg;
    try {
        reg.WriteInteger("ColCount", 2);
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'ColCount'");
    }
    EXPECT_FALSE(fs::exists(UserFile));
}

TEST_F(RegistryTest, UnwritableFolderFailsCreationAndWrites) {
    // A regular file where the folder should be stops even root.
    WriteFileBytes((Dir / "blocker").string(), "x");
    UserFile = (Dir / "blocker" / "registry.reg").string();
    SetRegistryLocation({UserFile, SystemFile});
    TRegAccess reg;
    EXPECT_FALSE(reg.OpenKey(SettingsKey, true));

    // A key that exists in the system file opens, but writing to it fails.
    WriteFileBytes(SystemFile, std::string("[HKEY_LOCAL_MACHINE\\") + EditorKey + "]\n");
    reg.SetRootKey(TRegRoot::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(EditorKey, false));
    EXPECT_THROW(
        {
            try {
                reg.WriteString("Path", "/opt/kelvaro/");
            } catch (const ERegistryException& e) {
                EXPECT_STREQ(e.what(), "Failed to set data for 'Path'");
                throw;
            }
        },
        ERegistryException);
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldFileWhole) {
    const std::string original = std::string(SettingsSection) + "\"ColCount\"=dword:2\n";
    WriteFileBytes(UserFile, original);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    // The temporary file cannot be made: the write stops before the rename.
    fs::create_directories(fs::path(RegistryTempFileName(UserFile)) / "inside");
    EXPECT_THROW(reg.WriteInteger("ColCount", 3), ERegistryException);
    EXPECT_EQ(ReadFileBytes(UserFile), original);
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 2);
    fs::remove_all(RegistryTempFileName(UserFile));
    reg.WriteInteger("ColCount", 3);
    EXPECT_FALSE(fs::exists(RegistryTempFileName(UserFile)));
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 3);
}

TEST_F(RegistryTest, WriteKeepsValuesWrittenMeanwhile) {
    TRegAccess first;
    ASSERT_TRUE(first.OpenKey(SettingsKey, true));
    {
        TRegAccess second;
        ASSERT_TRUE(second.OpenKey(SettingsKey, false));
        second.WriteInteger("OpenFilterIndex", 8);
    }
    first.WriteInteger("ColCount", 2);
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    EXPECT_EQ(reg.ReadIntegerDefault("OpenFilterIndex", 1), 8);
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 2);
}

TEST_F(RegistryTest, StringsAreCutTo255Characters) {
    struct Case {
        size_t Stored;
        size_t Read;
    };
    for (Case c : {Case{254, 254}, Case{255, 255}, Case{256, 255}, Case{5000, 255}}) {
        std::string value;
        for (size_t i = 0; i < c.Stored; ++i) {
            value += static_cast<char>('a' + i % 26);
        }
        {
            TRegAccess reg;
            ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
            reg.WriteString("InitialDir", value);
        }
        TRegAccess reg;
        ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
        EXPECT_EQ(reg.ReadStringDefault("InitialDir", "DEF"), value.substr(0, c.Read)) << c.Stored;
    }
}

TEST_F(RegistryTest, MachineWideKeyComesFromBothFilesUserFirst) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::LocalMachine);
    EXPECT_FALSE(reg.OpenKey(EditorKey, false));
    EXPECT_EQ(reg.ReadStringDefault("Path", ""), "");

    const std::string system = std::string("REGEDIT4\n[HKEY_LOCAL_MACHINE\\") + EditorKey +
                               "]\n\"Path\"=\"/opt/kelvaro/\"\n\"Extra\"=\"sys\"\n";
    WriteFileBytes(SystemFile, system);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + EditorKey, false));
    EXPECT_EQ(reg.ReadStringDefault("Path", ""), "/opt/kelvaro/");

    // The same path under HKEY_CURRENT_USER is another key.
    TRegAccess user;
    EXPECT_FALSE(user.OpenKey(EditorKey, false));

    // HKEY_CURRENT_USER keys in the system file are not read.
    WriteFileBytes(SystemFile, system + SettingsSection + "\"ColCount\"=dword:2\n");
    EXPECT_FALSE(user.OpenKey(SettingsKey, false));

    // The user's file may give the key too; its values win, the others still come through.
    WriteFileBytes(UserFile,
                   std::string("[HKLM\\software\\microsoft\\windows\\currentversion\\"
                               "app paths\\kelvaro.exe]\n\"PATH\"=\"/home/u/kelvaro/\"\n"));
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + EditorKey, false));
    EXPECT_EQ(reg.ReadStringDefault("Path", ""), "/home/u/kelvaro/");
    EXPECT_EQ(reg.ReadStringDefault("Extra", ""), "sys");

    // Writes go to the user's file; the system file is left alone.
    reg.WriteString("Extra", "mine");
    EXPECT_EQ(reg.ReadStringDefault("Extra", ""), "mine");
    EXPECT_EQ(ReadFileBytes(SystemFile), system + SettingsSection + "\"ColCount\"=dword:2\n");
    EXPECT_NE(ReadFileBytes(UserFile).find("\"Extra\"=\"mine\""), std::string::npos);
}

TEST_F(RegistryTest, MachineWideKeyOnlyInUserFile) {
    WriteFileBytes(UserFile, std::string("[HKEY_LOCAL_MACHINE\\") + EditorKey +
                                 "]\n\"Path\"=\"/srv/cfg/\"\n");
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(EditorKey, false));
    EXPECT_EQ(reg.ReadStringDefault("Path", ""), "/srv/cfg/");
}

TEST_F(RegistryTest, SetRootKeyClosesTheKey) {
    WriteFileBytes(UserFile, std::string(SettingsSection) + "\"ColCount\"=dword:2\n");
    TRegAccess reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, false));
    reg.SetRootKey(TRegRoot::LocalMachine);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_EQ(reg.ReadIntegerDefault("ColCount", 4), 4);
}

TEST(RegistryLocation, FollowsXdgConfigHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";

    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(DefaultRegistryLocation().UserFile, "/tmp/xdg/oktrel/registry.reg");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute: ignored
    EXPECT_EQ(DefaultRegistryLocation().UserFile, "/home/someone/.config/oktrel/registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultRegistryLocation().UserFile, "/home/someone/.config/oktrel/registry.reg");
    EXPECT_EQ(DefaultRegistryLocation().SystemFile, "/etc/oktrel/registry.reg");

    SetRegistryLocation({"/a/user.reg", "/a/system.reg"});
    EXPECT_EQ(CurrentRegistryLocation().UserFile, "/a/user.reg");
    EXPECT_EQ(CurrentRegistryLocation().SystemFile, "/a/system.reg");
    SetRegistryLocation(DefaultRegistryLocation());

    if (oldXdg != nullptr) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }
    if (oldHome != nullptr) {
        ::setenv("HOME", savedHome.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

} // namespace
} // namespace qvr::test
