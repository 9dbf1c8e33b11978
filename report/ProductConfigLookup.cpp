#include "report/ProductConfigLookup.h"

#include "platform/ProgramPath.h"
#include "platform/Regaccess.h"
#include "sysex/Products.h"

namespace qvr {

namespace {

const char* const EditorAppPathKey =
    "Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE";
const char* const InstallHint = "\nYou may need to install Korvane's Kelvaro program.";

std::string EditorFolderOf(const TConfigSearch& search) {
    if (!search.EditorFolder) {
        return RecordedEditorFolder();
    }
    std::string folder = *search.EditorFolder;
    // A folder given by the user is taken as a folder, with or without its separator.
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string FallbackFolderOf(const TConfigSearch& search) {
    return search.ProgramFolder.empty() ? ProgramDataFolder() : search.ProgramFolder;
}

} // namespace

std::string ProductConfigFileName(uint8_t productId) {
    const TProduct* product = ProductById(productId);
    return product == nullptr ? std::string() : std::string(product->ConfigFile);
}

std::string RecordedEditorFolder() {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::LocalMachine);
    // Whether the key opened does not matter: a read on a closed key yields the default.
    reg.OpenKey(EditorAppPathKey, false);
    return reg.ReadStringDefault("Path", "");
}

std::vector<std::string> ProductConfigPaths(const TConfigSearch& search) {
    const std::string editor = EditorFolderOf(search);
    const std::string fallback = FallbackFolderOf(search);
    std::vector<std::string> paths;
    for (const TProduct& product : Products()) {
        const std::string name(product.ConfigFile);
        if (!editor.empty()) {
            paths.push_back(editor + name);
        }
        paths.push_back(fallback + name);
    }
    return paths;
}

std::unique_ptr<TQvrConfig> LoadProductConfig(uint8_t productId, const TConfigSearch& search,
                                              IUserNotifier& notifier) {
    std::string folder = EditorFolderOf(search);
    bool fallbackUsed = false;
    if (folder.empty()) {
        folder = FallbackFolderOf(search);
        fallbackUsed = true;
    }

    const std::string fileName = ProductConfigFileName(productId);
    if (fileName.empty()) {
        notifier.ShowError("Korvane " + ModelName(productId) + " is not supported");
        return nullptr;
    }

    // The folder and the name are joined as they stand: a recorded folder
    // without its separator misses and the program's folder is tried instead.
    if (!PathExists(folder + fileName) && !fallbackUsed) {
        folder = FallbackFolderOf(search);
    }
    const std::string path = folder + fileName;
    if (!PathExists(path)) {
        notifier.ShowError("Unable to access product configuration file, " + path + "." +
                           InstallHint);
        return nullptr;
    }

    try {
        return std::make_unique<TQvrConfig>(path);
    } catch (const EQvrInvalidConfigFile& e) {
        notifier.ShowError("'" + path + "' is not a valid configuration file.\n\n" + e.Message);
    } catch (const EQvrCannotOpenFile&) {
        notifier.ShowError(std::string("Unable to open product configuration file.") + InstallHint);
    }
    return nullptr;
}

} // namespace qvr
