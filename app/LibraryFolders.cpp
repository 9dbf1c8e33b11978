#include "app/LibraryFolders.h"

#include "app/ViewerSettings.h"
#include "platform/Regaccess.h"

#include <algorithm>

namespace qvr {

std::vector<std::string> LoadLibraryFolders() {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    std::vector<std::string> folders;
    if (!reg.OpenKey(SettingsKey, false)) {
        return folders;
    }
    const int32_t count =
        std::clamp(reg.ReadIntegerDefault(LibraryFolderCountName, 0), 0, MaxLibraryFolders);
    for (int32_t i = 1; i <= count; ++i) {
        std::string folder = reg.ReadStringDefault(LibraryFolderName + std::to_string(i), "");
        if (!folder.empty()) {
            folders.push_back(std::move(folder));
        }
    }
    reg.CloseKey();
    return folders;
}

void SaveLibraryFolders(const std::vector<std::string>& folders) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (!reg.OpenKey(SettingsKey, true)) {
        return;
    }
    const size_t count = std::min(folders.size(), static_cast<size_t>(MaxLibraryFolders));
    for (size_t i = 0; i < count; ++i) {
        reg.WriteString(LibraryFolderName + std::to_string(i + 1), folders[i]);
    }
    reg.WriteInteger(LibraryFolderCountName, static_cast<int32_t>(count));
    reg.CloseKey();
}

} // namespace qvr
