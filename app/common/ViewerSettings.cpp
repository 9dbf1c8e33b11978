#include "app/common/ViewerSettings.h"

#include "app/report/Zoom.h"
#include "platform/Regaccess.h"
#include "report/ColumnCount.h"

namespace qvr {

namespace {

// Runs `use` on the settings key if it opens (it is created when `create` is set); returns
// what `use` returns, or nullopt when the key did not open.
template <class Use>
auto WithSettingsKey(bool create, Use use)
    -> std::optional<decltype(use(std::declval<TRegAccess&>()))> {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (!reg.OpenKey(SettingsKey, create)) {
        return std::nullopt;
    }
    auto result = use(reg);
    reg.CloseKey();
    return result;
}

} // namespace

std::optional<TWindowSettings> LoadWindowSettings(const TWindowBounds& current) {
    return WithSettingsKey(false, [&](TRegAccess& reg) {
        TWindowSettings s;
        s.Bounds.Width = reg.ReadIntegerDefault(MainWidthName, current.Width);
        s.Bounds.Height = reg.ReadIntegerDefault(MainHeightName, current.Height);
        s.Bounds.Left = reg.ReadIntegerDefault(MainLeftName, current.Left);
        s.Bounds.Top = reg.ReadIntegerDefault(MainTopName, current.Top);
        s.ColumnCount = reg.ReadIntegerDefault(ColCountName, DefaultColumnCount);
        if (!IsColumnCountInRange(s.ColumnCount)) {
            s.ColumnCount = DefaultColumnCount;
        }
        return s;
    });
}

void SaveWindowSettings(const TWindowSettings& settings) {
    WithSettingsKey(true, [&](TRegAccess& reg) {
        reg.WriteInteger(MainWidthName, settings.Bounds.Width);
        reg.WriteInteger(MainHeightName, settings.Bounds.Height);
        reg.WriteInteger(MainLeftName, settings.Bounds.Left);
        reg.WriteInteger(MainTopName, settings.Bounds.Top);
        reg.WriteInteger(ColCountName, settings.ColumnCount);
        return true;
    });
}

std::optional<TOpenSettings> LoadOpenSettings() {
    return WithSettingsKey(false, [](TRegAccess& reg) {
        return TOpenSettings{reg.ReadIntegerDefault(OpenFilterIndexName, 1),
                             reg.ReadStringDefault(InitialDirName, "")};
    });
}

void SaveOpenSettings(const TOpenSettings& settings) {
    WithSettingsKey(true, [&](TRegAccess& reg) {
        reg.WriteInteger(OpenFilterIndexName, settings.FilterIndex);
        reg.WriteString(InitialDirName, settings.InitialDir);
        return true;
    });
}

TViewSettings LoadViewSettings() {
    return WithSettingsKey(false,
                           [](TRegAccess& reg) {
                               TViewSettings s;
                               s.Zoom = ValidZoom(reg.ReadIntegerDefault(ZoomName, NormalZoom));
                               s.PresetsPanel = reg.ReadIntegerDefault(PresetsPanelName, 1) != 0;
                               s.LibraryPanel = reg.ReadIntegerDefault(LibraryPanelName, 0) != 0;
                               for (int32_t i = 1; i <= RecentFileCount; ++i) {
                                   std::string name = reg.ReadStringDefault(
                                       RecentFileName + std::to_string(i), "");
                                   if (!name.empty()) {
                                       s.RecentFiles.push_back(std::move(name));
                                   }
                               }
                               return s;
                           })
        .value_or(TViewSettings{});
}

void SaveViewSettings(const TViewSettings& settings) {
    WithSettingsKey(true, [&](TRegAccess& reg) {
        reg.WriteInteger(ZoomName, settings.Zoom);
        reg.WriteInteger(PresetsPanelName, settings.PresetsPanel ? 1 : 0);
        reg.WriteInteger(LibraryPanelName, settings.LibraryPanel ? 1 : 0);
        for (int32_t i = 1; i <= RecentFileCount; ++i) {
            const std::string name = RecentFileName + std::to_string(i);
            if (static_cast<size_t>(i) <= settings.RecentFiles.size()) {
                reg.WriteString(name, settings.RecentFiles[static_cast<size_t>(i) - 1]);
            } else {
                reg.WriteString(name, ""); // an empty place
            }
        }
        return true;
    });
}

std::optional<TMidiSettings> LoadMidiSettings() {
    return WithSettingsKey(false, [](TRegAccess& reg) {
        return TMidiSettings{reg.ReadStringDefault(MidiInDeviceName, ""),
                             reg.ReadStringDefault(MidiOutDeviceName, ""),
                             reg.ReadIntegerDefault(MidiScanAllName, 0) != 0};
    });
}

void SaveMidiSettings(const TMidiSettings& settings) {
    WithSettingsKey(true, [&](TRegAccess& reg) {
        reg.WriteString(MidiInDeviceName, settings.Input);
        reg.WriteString(MidiOutDeviceName, settings.Output);
        reg.WriteInteger(MidiScanAllName, settings.ScanAtStartup ? 1 : 0);
        return true;
    });
}

} // namespace qvr
