#pragma once

#include "app/common/Dialogs.h"
#include "app/device/MidiDevices.h"
#include "app/library/LibraryPart.h"
#include "app/report/FileWatch.h"
#include "app/report/FindBar.h"
#include "app/report/PresetsPanel.h"
#include "app/report/ReportCommands.h"
#include "app/report/ReportSource.h"
#include "app/report/ReportView.h"
#include "app/shell/CommandTable.h"
#include "app/shell/FileDrop.h"
#include "app/shell/RecentFiles.h"
#include "base/LoadNotices.h"
#include "base/UserNotifier.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QRect>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

class TCompareWindow;
class TFormMIDI;
class TFormAbout;
class TFormSplash;
class THelpWindow;
class TDeviceReceiver;

// What the main window works with. The program passes the real ones; the tests
// pass recording stand-ins.
struct TFormMainServices {
    std::function<std::unique_ptr<IReportSource>(IUserNotifier&)> MakeReportSource;
    std::unique_ptr<IReportView> ReportView;
    IDialogs* Dialogs = nullptr;
    // The desktop's work area; empty when it cannot be found.
    std::function<std::optional<QRect>()> WorkArea;
    // The viewer's private folder with its trailing separator (the report file goes there);
    // empty when there is none, and then no report file is written.
    std::string ReportFolder;
    // Why there is no private folder (shown when a report cannot be written).
    std::string ReportFolderProblem;
    // The MIDI ports the MIDI Configuration dialog lists.
    TMidiPortLister MidiPorts;
    // The preset library's database; empty: no library.
    std::string LibraryDatabase;
};

// The work area of the primary screen.
std::optional<QRect> PrimaryWorkArea();

// The main window's menus and commands. Their captions, keys and names are in the window's
// command table (Main.cpp); the column items carry the tags 1 to 4 (see TFormMain::Tag), the
// other items 0.
struct TMainMenu : TReportCommands {
    explicit TMainMenu(QWidget* owner);

    QMenu CmdFile;
    QAction CmdOpen;
    QAction CmdReload;
    QMenu CmdRecent;
    QAction CmdCompareWith;
    QAction CmdReceive;
    QAction CmdSendToDevice;
    QAction CmdSavePresetAs;
    QAction CmdSendPreset;
    QAction CmdExit;
    QMenu CmdEdit;
    QAction CmdGoToPreset;
    QAction CmdComparePresets;
    QMenu CmdOptions;
    QMenu CmdColumnCount;
    QActionGroup ColumnItems;
    QAction Cmd1Col;
    QAction Cmd2Col;
    QAction Cmd3Col;
    QAction Cmd4Col;
    QAction CmdMIDIDevices;
    QAction CmdPresetsPanel;
    QMenu CmdZoom;
    QAction CmdZoomIn;
    QAction CmdZoomOut;
    QAction CmdActualSize;
    QMenu CmdHelp;
    QAction CmdContents;
    QAction CmdAbout;
};

// The main window: the report view, the menu commands, and the report state
// that lives for the whole run.
class TFormMain : public QMainWindow, public IUserNotifier {
    Q_OBJECT
public:
    explicit TFormMain(TFormMainServices services);
    ~TFormMain() override;

    // The other windows of the program, created after this one; the window keeps them and
    // releases them after everything of its own that refers to them.
    void SetForms(std::unique_ptr<TFormMIDI> midi, std::unique_ptr<TFormAbout> about,
                  std::unique_ptr<TFormSplash> splash);
    // The preset file named on the command line, loaded when the window is first shown.
    void SetCommandLineFile(std::string fileName) { CommandLineFile = std::move(fileName); }
    // What came on standard input ("qvrviewer -"), shown as the report of "standard input"
    // when the window is first shown, and again at a reload.
    void SetCommandLineInput(std::string bytes);

    // Builds the report of the file, writes it to the report file and shows it.
    void LoadPresetFile(const std::string& fileName);
    // Loads a file the user chose (Open, a drop, the command line): when it cannot be read a
    // message names it and the reason, and the report shown stays. False in that case.
    bool OpenPresetFile(const std::string& fileName, TScroll scroll = TScroll::Top);

    // Runs once the window is first on screen: the notice, then the command line's file.
    void FormShow();
    // Runs as the window closes: removes the report file and saves the settings.
    void FormClose();
    // Options > MIDI Devices: the MIDI Configuration dialog over this window, its lists filled.
    void CmdMIDIClick();

    // Runs a command; an exception that escapes it goes to the standard exception display.
    void Guarded(const std::function<void()>& command);

    // IUserNotifier: the load's messages as modal boxes.
    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;

    // Every menu item, in creation order, and its tag (the column items carry 1 to 4).
    const std::vector<QAction*>& MenuItems() const { return Commands.Items(); }
    // Enables each command as the window's state allows.
    void UpdateCommands() { Commands.UpdateCommands(); }
    static int Tag(const QAction& item);
    TMainMenu& Menu() { return MainMenu; }

    IReportView& ReportView() { return *PresetBrowser; }
    THelpWindow* HelpWindow() { return Help.get(); }
    TCompareWindow* CompareWindow() { return CompareView.get(); }
    int32_t ColumnCount() const { return Columns; }
    // The report file the view shows (empty until the window is first shown), and the
    // preset file last loaded.
    const std::string& ReportFileName() const { return ReportFile; }
    const std::string& CurrentFileName() const { return CurrentFile; }
    // The status line: what the last load read.
    QString StatusText() const { return StatusLine.text(); }
    // The report's zoom in percent, the find bar and the recent files.
    int32_t ZoomPercent() const { return Zoom; }
    TFindBar& FindBar() { return Finder; }
    // The presets of the open file beside the report.
    TPresetsPanel& PresetsPanel() { return Presets; }
    TLibraryPart& Library() { return LibraryPart; }
    const TRecentFiles& RecentFiles() const { return Recent; }
    // The watch on the open file (a change reloads it).
    const TFileWatch& FileWatch() const { return Watch; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void BuildMenu();
    void OpenDroppedFile(const QString& path);

    // Menu command handlers.
    void CmdOpenClick();
    void CmdSaveAsClick();
    void CmdReloadClick();
    void CmdColClick(int32_t columns);
    void CmdGoToPresetClick();
    void SetZoom(int32_t percent);
    // The open file changed on disk: it is read again once no box waits for the user.
    void FileChangedOnDisk();
    void LoadPresetFile(const std::string& fileName, TScroll scroll);
    void CmdContentsClick();
    void CmdAboutClick();
    void CmdCompareWithClick();
    void CmdComparePresetsClick();
    void CmdReceiveClick();
    // File > Send to Device, Save Preset As and Send Preset to Device: the open file as it is
    // on the disk, whole or one preset of it.
    void CmdSendToDeviceClick();
    void CmdSavePresetAsClick();
    void CmdSendPresetClick();
    void SendToDevice(bool onePreset);
    // A load's message with the file it is about on a line of its own after it.
    QString NoticeText(const std::string& text) const;

    TMainMenu MainMenu;
    TCommandTable Commands;
    IDialogs& Dialogs;
    std::function<std::optional<QRect>()> WorkArea;
    std::string ReportFolder;
    std::string ReportFolderProblem;
    std::unique_ptr<TFormMIDI> FormMIDI;
    std::unique_ptr<TFormAbout> FormAbout;
    std::unique_ptr<TFormSplash> FormSplash;
    bool Shown = false;
    bool ReportShown = false; // a report has been shown since the start
    TOpenDialogState FileOpenDlg;
    int32_t Columns;
    std::string ReportFile;
    std::string CurrentFile;
    std::string CommandLineFile;
    // The file being read while a load runs (its messages name it), else empty.
    std::string LoadingFile;
    // The load's messages pass through here on their way to the boxes.
    TLoadNotices Notices{*this};
    QLabel StatusLine;
    int32_t Zoom;
    TRecentFiles Recent;
    TFileWatch Watch;

    QWidget MainPanel;
    QVBoxLayout MainLayout;
    // Declared after MainPanel so that the view goes first at destruction.
    std::unique_ptr<IReportView> PresetBrowser;
    std::unique_ptr<IReportSource> ReportSource;
    std::unique_ptr<THelpWindow> Help;
    // Under the view, and like it declared after MainPanel.
    TFindBar Finder;
    TPresetsPanel Presets;
    TLibraryPart LibraryPart;
    std::unique_ptr<TCompareWindow> CompareView;
    TOpenDialogState CompareOpenDlg;
    TFileDropFilter DropFilter;
    TMidiPortLister MidiPorts;
    std::unique_ptr<TMidiDevices> MidiDevices;
    std::unique_ptr<TDeviceReceiver> Receiver;
};

} // namespace qvr
