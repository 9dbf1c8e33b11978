#include "report/ProductConfigLookup.h"

#include "ReportFixtures.h"
#include "base/Errors.h"
#include "platform/Regaccess.h"

#include <gtest/gtest.h>

namespace qvr::test {
namespace {

using Lines = std::vector<std::string>;

const char* const EditorKey = "HKEY_LOCAL_MACHINE\\Software\\MicroSoft\\Windows\\CurrentVersion"
                              "\\App Paths\\Kelvaro.EXE";

// A valid configuration whose first component's name tells which file was loaded.
std::string ConfigNamed(const std::string& name) {
    return "device\npresets\ncomponents\nfx\ncn = " + name + "\ncid = 1\nqvr\nmodifiers\n";
}

std::string LoadedFrom(const std::unique_ptr<TQvrConfig>& config) {
    return config && config->FxComponents.Count() > 0 ? config->FxComponents.Name(0) : "";
}

// Every test has an editor folder, a program folder and a settings store of its own.
class ProductConfigLookupTest : public testing::Test {
protected:
    void SetUp() override {
        Saved = CurrentRegistryLocation();
        SetRegistryLocation({Dir.Folder() + "user.reg", Dir.Folder() + "system.reg"});
        std::filesystem::create_directories(Editor());
        std::filesystem::create_directories(Program());
    }
    void TearDown() override { SetRegistryLocation(Saved); }

    std::string Editor() const { return Dir.Folder() + "editor/"; }
    std::string Program() const { return Dir.Folder() + "program/"; }

    void RecordEditorFolder(const std::string& folder) {
        Dir.Write("system.reg",
                  std::string("REGEDIT4\n\n[") + EditorKey + "]\n\"Path\"=\"" + folder + "\"\n");
    }

    std::unique_ptr<TQvrConfig> Load(uint8_t product, std::optional<std::string> editor = {}) {
        return LoadProductConfig(product, TConfigSearch{std::move(editor), Program()}, Notifier);
    }

    TTempFolder Dir;
    TRecordingNotifier Notifier;
    TRegistryLocation Saved;
};

TEST_F(ProductConfigLookupTest, EachProductHasItsFile) {
    const std::vector<std::pair<uint8_t, std::string>> products = {{0x56, "QVR1.cfg"},
                                                                   {0x57, "QVR2.cfg"},
                                                                   {0x58, "Tindrel3.cfg"},
                                                                   {0x5A, "QVR3.cfg"},
                                                                   {0x5B, "KDT3.cfg"}};
    for (const auto& [product, file] : products) {
        Dir.Write("editor/" + file, ConfigNamed(file));
        EXPECT_EQ(LoadedFrom(Load(product, Editor())), file);
    }
    EXPECT_TRUE(Notifier.Messages.empty());
}

TEST_F(ProductConfigLookupTest, UnsupportedProductsAreRefused) {
    for (const uint8_t product : {0x59, 0x00, 0xFF}) {
        EXPECT_EQ(Load(product, Editor()), nullptr);
    }
    EXPECT_EQ(Notifier.Messages, (Lines{"error: Korvane Product Id 89 is not supported",
                                        "error: Korvane Product Id 0 is not supported",
                                        "error: Korvane Product Id -1 is not supported"}));
}

struct TFolderCase {
    const char* What;
    std::optional<std::string> Option;   // the editor folder given by the caller
    std::optional<std::string> Recorded; // the editor folder in the settings store
    std::vector<std::string> Files;      // configuration files present (relative)
    std::string LoadedFile;              // which of them is loaded; empty: none
};

void PrintTo(const TFolderCase& c, std::ostream* os) {
    *os << c.What;
}

class FolderSearchTest : public ProductConfigLookupTest,
                         public testing::WithParamInterface<TFolderCase> {};

TEST_P(FolderSearchTest, FindsTheFileWhereItIsLookedFor) {
    const TFolderCase& c = GetParam();
    if (c.Recorded) {
        RecordEditorFolder(Dir.Folder() + *c.Recorded);
    }
    for (const std::string& file : c.Files) {
        Dir.Write(file, ConfigNamed(file));
    }
    std::optional<std::string> option;
    if (c.Option) {
        option = c.Option->empty() ? "" : Dir.Folder() + *c.Option;
    }
    const auto config = Load(0x5A, option);
    EXPECT_EQ(LoadedFrom(config), c.LoadedFile) << c.What;
    if (c.LoadedFile.empty()) {
        EXPECT_EQ(Notifier.Messages,
                  Lines{"error: Unable to access product configuration file, " + Program() +
                        "QVR3.cfg.\nYou may need to install Korvane's Kelvaro program."})
            << c.What;
    } else {
        EXPECT_TRUE(Notifier.Messages.empty()) << c.What;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderSearchTest,
    testing::Values(
        TFolderCase{"given folder",
                    "editor/",
                    {},
                    {"editor/QVR3.cfg", "program/QVR3.cfg"},
                    "editor/QVR3.cfg"},
        TFolderCase{"given folder gets its separator",
                    "editor",
                    {},
                    {"editor/QVR3.cfg"},
                    "editor/QVR3.cfg"},
        TFolderCase{"given folder wins over the recorded one",
                    "editor",
                    "program/",
                    {"editor/QVR3.cfg", "program/QVR3.cfg"},
                    "editor/QVR3.cfg"},
        TFolderCase{"given folder without the file",
                    "editor",
                    {},
                    {"program/QVR3.cfg"},
                    "program/QVR3.cfg"},
        TFolderCase{"given empty folder", "", {}, {"program/QVR3.cfg"}, "program/QVR3.cfg"},
        TFolderCase{"recorded folder",
                    {},
                    "editor/",
                    {"editor/QVR3.cfg", "program/QVR3.cfg"},
                    "editor/QVR3.cfg"},
        // A recorded folder is joined to the name as it stands.
        TFolderCase{"recorded folder without separator",
                    {},
                    "editor",
                    {"editor/QVR3.cfg", "editorQVR3.cfg", "program/QVR3.cfg"},
                    "editorQVR3.cfg"},
        TFolderCase{"recorded folder without separator, program folder next",
                    {},
                    "editor",
                    {"editor/QVR3.cfg", "program/QVR3.cfg"},
                    "program/QVR3.cfg"},
        TFolderCase{"nothing recorded", {}, {}, {"program/QVR3.cfg"}, "program/QVR3.cfg"},
        TFolderCase{"no file anywhere", {}, "editor/", {}, ""},
        TFolderCase{"no file and nothing recorded", {}, {}, {"editor/QVR3.cfg"}, ""}),
    TNameByWhat());

TEST_F(ProductConfigLookupTest, EditorFolderRecordedInTheUsersOwnStore) {
    {
        TRegAccess reg;
        reg.SetRootKey(TRegRoot::LocalMachine);
        ASSERT_TRUE(reg.OpenKey("Software\\MicroSoft\\Windows\\CurrentVersion\\App "
                                "Paths\\Kelvaro.EXE",
                                true));
        reg.WriteString("Path", Editor());
    }
    Dir.Write("editor/QVR3.cfg", ConfigNamed("user"));
    EXPECT_EQ(LoadedFrom(Load(0x5A)), "user");
    EXPECT_EQ(RecordedEditorFolder(), Editor());
}

TEST_F(ProductConfigLookupTest, MalformedFileIsNamedWithTheReadersMessage) {
    const std::string path = Dir.Write("editor/QVR3.cfg", "device\npresets\n");
    EXPECT_EQ(Load(0x5A, Editor()), nullptr);
    const std::string tn =
        Dir.Write("editor/KDT3.cfg", "device\npresets\ncomponents\nfx\ncn = A\ntypes\ntn = X\n"
                                     "pn = Y\n");
    EXPECT_EQ(Load(0x5B, Editor()), nullptr);
    EXPECT_EQ(Notifier.Messages,
              (Lines{"error: '" + path +
                         "' is not a valid configuration file.\n\nSection 'components' not found.",
                     "error: '" + tn +
                         "' is not a valid configuration file.\n\nCould not find 'tid' after "
                         "'tn = X'."}));
}

TEST_F(ProductConfigLookupTest, LibraryErrorsOfTheFilePassOn) {
    Dir.Write("editor/QVR3.cfg", "device\npresets\ncomponents\nfx\ncn =\nqvr\nmodifiers\n");
    EXPECT_THROW(Load(0x5A, Editor()), ERangeError);
    Dir.Write("editor/QVR2.cfg", "device\npresets\ncomponents\nfx\ncn = A\ntypes\nparams\n"
                                 "tid = 1\npn = B\nscm = x\nqvr\nmodifiers\n");
    try {
        Load(0x57, Editor());
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid floating point value");
    }
    EXPECT_TRUE(Notifier.Messages.empty());
}

} // namespace
} // namespace qvr::test
