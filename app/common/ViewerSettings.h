#pragma once

#include "app/shell/Placement.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// The viewer's settings in the current user's settings store, under one key: the main
// window's bounds and column count (saved when the window closes) and the Open dialog's
// filter and folder (saved when a file is chosen), the report's zoom and the recent files
// (saved when the window closes). Reading never creates the key.

// Key and value names in the settings store.
inline constexpr const char* SettingsKey = "Software\\Brindmoor\\QVRviewer";
inline constexpr const char* MainWidthName = "MainWidth";
inline constexpr const char* MainHeightName = "MainHeight";
inline constexpr const char* MainLeftName = "MainLeft";
inline constexpr const char* MainTopName = "MainTop";
inline constexpr const char* ColCountName = "ColCount";
inline constexpr const char* OpenFilterIndexName = "OpenFilterIndex";
inline constexpr const char* InitialDirName = "InitialDir";
inline constexpr const char* ZoomName = "Zoom";
inline constexpr const char* PresetsPanelName = "PresetsPanel";
inline constexpr const char* LibraryPanelName = "LibraryPanel";
// RecentFile1 (the newest) to RecentFile8.
inline constexpr const char* RecentFileName = "RecentFile";
inline constexpr int32_t RecentFileCount = 8;
inline constexpr const char* MidiInDeviceName = "MIDIInDevice";
inline constexpr const char* MidiOutDeviceName = "MIDIOutDevice";
inline constexpr const char* MidiScanAllName = "MIDIScanAll";

struct TWindowSettings {
    TWindowBounds Bounds;
    int32_t ColumnCount = 0;
};

struct TOpenSettings {
    int32_t FilterIndex = 1;
    std::string InitialDir; // file-name bytes, with its trailing separator
};

// The MIDI Configuration dialog's choice: ports by name (empty: none chosen), and whether the
// port lists are read at start-up.
struct TMidiSettings {
    std::string Input;
    std::string Output;
    bool ScanAtStartup = false;
};

// The stored window settings, nullopt when the key does not exist. A missing value takes
// the one in `current`; a column count that is missing or outside 1 to 4 reads as 4.
std::optional<TWindowSettings> LoadWindowSettings(const TWindowBounds& current);
void SaveWindowSettings(const TWindowSettings& settings);

// The stored Open dialog settings (filter 1 and no folder where a value is missing),
// nullopt when the key does not exist.
std::optional<TOpenSettings> LoadOpenSettings();
void SaveOpenSettings(const TOpenSettings& settings);

// The report's zoom in percent and the recent files, newest first (file-name bytes); the
// zoom is 100 and the list empty where nothing is stored.
struct TViewSettings {
    int32_t Zoom = 100;
    std::vector<std::string> RecentFiles;
    bool PresetsPanel = true;  // the presets panel is shown
    bool LibraryPanel = false; // the library panel is shown
};
TViewSettings LoadViewSettings();
void SaveViewSettings(const TViewSettings& settings);
// The stored MIDI choice (nothing chosen where a value is missing), nullopt when the key does
// not exist.
std::optional<TMidiSettings> LoadMidiSettings();
void SaveMidiSettings(const TMidiSettings& settings);

} // namespace qvr
