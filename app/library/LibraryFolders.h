#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvr {

// The folders the preset library follows are kept in its database, which qvrlib shares
// (qvrlib add, qvrlib folders, qvrlib remove). The viewer kept its own list in the settings
// store under the viewer's key: a count as LibraryFolderCount and each folder as
// LibraryFolder1, LibraryFolder2, ... (file-name bytes). That list is moved into the
// library once and left empty.
inline constexpr const char* LibraryFolderCountName = "LibraryFolderCount";
inline constexpr const char* LibraryFolderName = "LibraryFolder";
// More are not read: a damaged count costs no memory.
inline constexpr int32_t MaxLibraryFolders = 256;

// The folders the library at `database` follows, by their real path; none when there is no
// library yet (none is made). Throws ELibraryDatabase when the library cannot be read.
std::vector<std::string> LibraryFoldersOf(const std::string& database);

// Hands the folders of the settings' own list, when it has any, to `keep`, and empties the
// list once `keep` returned (what it throws passes through and leaves the list as it was).
// Reading never creates the key.
void MoveSettingsLibraryFolders(const std::function<void(const std::vector<std::string>&)>& keep);

} // namespace qvr
