#include "app/library/LibraryFolders.h"

#include "app/common/ViewerSettings.h"
#include "library/Schema.h"
#include "platform/Regaccess.h"

#include <algorithm>
#include <filesystem>

namespace qvr {

std::vector<std::string> LibraryFoldersOf(const std::string& database) {
    std::vector<std::string> folders;
    std::error_code ignored;
    if (database.empty() || !std::filesystem::exists(database, ignored)) {
        return folders;
    }
    TSqlite db = OpenLibrary(database);
    TStatement all(db, "SELECT path FROM folders ORDER BY path");
    while (all.Step()) {
        folders.emplace_back(all.Text(0));
    }
    return folders;
}

void MoveSettingsLibraryFolders(const std::function<void(const std::vector<std::string>&)>& keep) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (!reg.OpenKey(SettingsKey, false)) {
        return;
    }
    const int32_t count =
        std::clamp(reg.ReadIntegerDefault(LibraryFolderCountName, 0), 0, MaxLibraryFolders);
    std::vector<std::string> folders;
    for (int32_t i = 1; i <= count; ++i) {
        std::string folder = reg.ReadStringDefault(LibraryFolderName + std::to_string(i), "");
        if (!folder.empty()) {
            folders.push_back(std::move(folder));
        }
    }
    if (count > 0) {
        keep(folders);
        reg.WriteInteger(LibraryFolderCountName, 0);
    }
    reg.CloseKey();
}

} // namespace qvr
