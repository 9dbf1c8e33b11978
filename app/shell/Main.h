#pragma once

#include "app/common/Dialogs.h"
#include "app/device/MidiDevices.h"
#include "app/library/LibraryPart.h"
#include "app/report/FileWatch.h"
#include "app/report/FindBar.h"
#include "app/report/PresetsPanel.h"
#include "app/report/ReportCommands.h"
#include "app/report/ReportDocument.h"
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
#include <string_view>
#include <vector>

namespace qvr {

class TCompareWindow;
struct TDump;
struct TDumpPreset;
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
    // The largest page the view is given at once (a larger report is shown in parts).
    size_t PartBytes = ReportPartBytes;
    // The preset library's database; empty: no library.
    std::string LibraryDatabase;
};

// The work area of the primary screen.
std::optional<QRect> PrimaryWorkArea();

// The other windows of the program: created after the main window, kept by it and released
// after everything of its own that refers to them.
struct TMainForms {
    std::unique_ptr<TFormMIDI> MIDI;
    std::unique_ptr<TFormAbout> About;
    std::unique_ptr<TFormSplash> Splash;
    std::unique_ptr<THelpWindow> Help;
    std::unique_ptr<TCompareWindow> Compare;
    ~TMainForms();
};

// The MIDI ports, the chosen devices and the receiver of dumps.
struct TDevicePart {
    TMidiPortLister Ports;
    std::unique_ptr<TMidiDevices> Devices;
    std::unique_ptr<TDeviceReceiver> Receiver;
    ~TDevicePart();
};

// The main window: the menus with their commands, the panels and the layout around the
// report document it shows. The document loads, watches and shows the report; the window
// wires the user's commands to it, to the other windows and to the devices.
class TFormMain : public QMainWindow, public IUserNotifier {
    Q_OBJECT
public:
    explicit TFormMain(TFormMainServices services);
    ~TFormMain() override;

    // The other windows of the program, created after this one.
    void SetForms(std::unique_ptr<TFormMIDI> midi, std::unique_ptr<TFormAbout> about,
                  std::unique_ptr<TFormSplash> splash);
    // The preset file named on the command line, loaded when the window is first shown.
    void SetCommandLineFile(std::string fileName) { CommandLineFile = std::move(fileName); }
    // What came on standard input ("qvrviewer -"), shown as the report of "standard input"
    // when the window is first shown, and again at a reload.
    void SetCommandLineInput(std::string bytes);

    // Builds the report of the file, writes it to the report file and shows it.
    void LoadPresetFile(const std::string& fileName) { Document.Load(fileName); }
    // Loads a file the user chose (Open, a drop, the command line): when it cannot be read a
    // message names it and the reason, and the report shown stays. False in that case.
    bool OpenPresetFile(const std::string& fileName) { return Document.Open(fileName); }

    // Runs once the window is first on screen: the notice, then the command line's file.
    void FormShow();
    // Runs as the window closes: removes the report file and saves the settings.
    void FormClose();

    // Options > MIDI Devices: the MIDI Configuration dialog over this window, its lists filled.
    void CmdMIDIClick();

    // Runs a command; an exception that escapes it goes to the standard exception display.
    void Guarded(const std::function<void()>& command);

    // IUserNotifier: messages as modal boxes over the window (a load's name its file).
    void ShowError(const std::string& text) override { Document.ShowError(text); }
    void ShowWarning(const std::string& text) override { Document.ShowWarning(text); }

    // Every menu item, in creation order; one by its object name ("CmdOpen"), and a menu.
    const std::vector<QAction*>& MenuItems() const { return Commands.Items(); }
    QAction& Command(std::string_view name) const { return Commands.Command(name); }
    QMenu& Menu(std::string_view name) const { return Commands.Menu(name); }
    // The column items carry their column count (1 to 4), the other items 0.
    static int Tag(const QAction& item);

    TReportDocument& Report() { return Document; }
    IReportView& ReportView() { return Document.View(); }
    THelpWindow* HelpWindow() { return Forms.Help.get(); }
    TCompareWindow* CompareWindow() { return Forms.Compare.get(); }
    int32_t ColumnCount() const { return Document.ColumnCount(); }
    // The report file the view shows (empty until the window is first shown), and the
    // preset file last loaded.
    const std::string& ReportFileName() const { return Document.ReportFileName(); }
    const std::string& CurrentFileName() const { return Document.FileName(); }
    // The status line: what the page shown was read from.
    QString StatusText() const { return StatusLine.text(); }
    // The report's zoom in percent, the find bar and the recent files.
    int32_t ZoomPercent() const { return Zoom; }
    TFindBar& FindBar() { return Finder; }
    // The presets of the open file beside the report.
    TPresetsPanel& PresetsPanel() { return Presets; }
    TLibraryPart& Library() { return LibraryPart; }
    const TRecentFiles& RecentFiles() const { return Recent; }
    // The watch on the open file (a change reloads it).
    const TFileWatch& FileWatch() const { return Document.FileWatch(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const std::optional<QRect>& area);
    void BuildMenu();
    // The document's page is on screen: the status line, the panel and the commands follow.
    void PageShown();

    // Menu command handlers.
    void CmdOpenClick();
    void CmdSaveAsClick();
    void CmdColClick(int32_t columns);
    void CmdGoToPresetClick();
    void CmdPartClick(int step);
    void SetZoom(int32_t percent);
    void CmdContentsClick();
    void CmdAboutClick();
    void CmdCompareWithClick();
    void CmdComparePresetsClick();
    TCompareWindow& Comparison();
    void CmdReceiveClick();
    // File > Send to Device, Save Preset As and Send Preset to Device: the open file as it is
    // on the disk, whole or one preset of it.
    void CmdSavePresetAsClick();
    // Edit > Edit Preset: the preset chosen in the presets panel, else one picked from a list,
    // in the preset editor; a file written over the open one is shown again.
    void CmdEditPresetClick();
    void SendToDevice(bool onePreset);
    // Sends `dump` of `file` whole, or only `preset` of it, to the chosen output.
    void SendDump(const std::string& file, const TDump& dump, const TDumpPreset* preset);
    // Runs a dialog over the window, centred on it and kept above it.
    void RunOver(QDialog& dialog);

    TMainForms Forms;
    TCommandTable Commands{*this};
    IDialogs& Dialogs;
    bool Shown = false;
    std::string CommandLineFile;
    // The open dialogs of Open and Compare With keep their folder and filter for the run.
    struct {
        TOpenDialogState Open;
        TOpenDialogState Compare;
    } OpenDialogs;
    int32_t Zoom;
    TRecentFiles Recent;
    QLabel StatusLine;
    // The report and the find bar under it; the view's widget is in the panel.
    struct TPanel : QWidget {
        explicit TPanel(QWidget* owner) : QWidget(owner), Layout(this) {}
        QVBoxLayout Layout;
    } MainPanel;
    // Declared after MainPanel so that the view goes first at destruction.
    TReportDocument Document;
    TFindBar Finder;
    TPresetsPanel Presets;
    TLibraryPart LibraryPart;
    TFileDropFilter DropFilter;
    TDevicePart Device;
};

} // namespace qvr
