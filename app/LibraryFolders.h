#pragma once

#include <string>
#include <vector>

namespace qvr {

// The folders whose presets the viewer keeps in the preset library, in the settings store
// under the viewer's key: their number as LibraryFolderCount and each as LibraryFolder1,
// LibraryFolder2, ... (file-name bytes). Reading never creates the key; none stored: none.
inline constexpr const char* LibraryFolderCountName = "LibraryFolderCount";
inline constexpr const char* LibraryFolderName = "LibraryFolder";
// More are not read: a damaged count costs no memory.
inline constexpr int32_t MaxLibraryFolders = 256;

std::vector<std::string> LoadLibraryFolders();
void SaveLibraryFolders(const std::vector<std::string>& folders);

} // namespace qvr
