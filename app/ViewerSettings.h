#pragma once

#include "app/Placement.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qvr {

// The viewer's settings in the current user's settings store, under one key: the main
// window's bounds and column count (saved when the window closes) and the Open dialog's
// filter and folder (saved when a file is chosen). Reading never creates the key.

// Key and value names in the settings store.
inline constexpr const char* SettingsKey = "Software\\Brindmoor\\QVRviewer";
inline constexpr const char* MainWidthName = "MainWidth";
inline constexpr const char* MainHeightName = "MainHeight";
inline constexpr const char* MainLeftName = "MainLeft";
inline constexpr const char* MainTopName = "MainTop";
inline constexpr const char* ColCountName = "ColCount";
inline constexpr const char* OpenFilterIndexName = "OpenFilterIndex";
inline constexpr const char* InitialDirName = "InitialDir";

struct TWindowSettings {
    TWindowBounds Bounds;
    int32_t ColumnCount = 0;
};

struct TOpenSettings {
    int32_t FilterIndex = 1;
    std::string InitialDir; // file-name bytes, with its trailing separator
};

// The stored window settings, nullopt when the key does not exist. A missing value takes
// the one in `current`; a column count that is missing or outside 1 to 4 reads as 4.
std::optional<TWindowSettings> LoadWindowSettings(const TWindowBounds& current);
void SaveWindowSettings(const TWindowSettings& settings);

// The stored Open dialog settings (filter 1 and no folder where a value is missing),
// nullopt when the key does not exist.
std::optional<TOpenSettings> LoadOpenSettings();
void SaveOpenSettings(const TOpenSettings& settings);

} // namespace qvr
