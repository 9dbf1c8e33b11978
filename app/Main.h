#pragma once

#include "app/Dialogs.h"
#include "app/FileDrop.h"
#include "app/ReportSource.h"
#include "app/ReportView.h"
#include "base/UserNotifier.h"

#include <QAction>
#include <QActionGroup>
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

class TFormMIDI;
class TFormAbout;
class TFormSplash;
class THelpWindow;

// What the main window works with. The program passes the real ones; the tests
// pass recording stand-ins.
struct TFormMainServices {
    std::function<std::unique_ptr<IReportSource>(IUserNotifier&)> MakeReportSource;
    std::unique_ptr<IReportView> ReportView;
    IDialogs* Dialogs = nullptr;
    // The desktop's work area; empty when it cannot be found.
    std::function<std::optional<QRect>()> WorkArea;
    // The program's folder with its trailing separator (the report file goes there).
    std::string ProgramFolder;
};

// The work area of the primary screen.
std::optional<QRect> PrimaryWorkArea();

// The main window: the report view, the menu commands, and the report state
// that lives for the whole run.
class TFormMain : public QMainWindow, public IUserNotifier {
    Q_OBJECT
public:
    explicit TFormMain(TFormMainServices services);
    ~TFormMain() override;

    // The other windows of the program, created after this one.
    void SetForms(TFormMIDI& midi, TFormAbout& about, TFormSplash& splash);

    // Builds the report of the file, writes it to the report file and shows it.
    void LoadPresetFile(const std::string& fileName);

    void FormShow();
    void FormClose();

    // Menu command handlers.
    void CmdOpenClick();
    void CmdSaveAsClick();
    void CmdPageSetupClick();
    void CmdPrintClick();
    void CmdExitClick();
    void CmdCopyClick();
    void CmdSelectAllClick();
    void CmdColClick();
    void CmdContentsClick();
    void CmdAboutClick();
    void CmdMIDIClick();

    // Runs a command; an exception that escapes it goes to the standard exception display.
    void Guarded(const std::function<void()>& command);

    // IUserNotifier: the load's messages as modal boxes.
    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;

    // Every menu item, in creation order, and its tag (the column items carry 1 to 4).
    const std::vector<QAction*>& MenuItems() const { return Items; }
    static int Tag(const QAction& item);

    IReportView& ReportView() { return *PresetBrowser; }
    THelpWindow* HelpWindow() { return Help.get(); }
    TOpenDialogState FileOpenDlg;

    int32_t ColumnCount;
    const std::string SettingsKey = "Software\\Brindmoor\\QVRviewer";
    const std::string MainWidthName = "MainWidth";
    const std::string MainHeightName = "MainHeight";
    const std::string MainLeftName = "MainLeft";
    const std::string MainTopName = "MainTop";
    const std::string ColCountName = "ColCount";
    std::string ReportFileName;
    std::string CurrentFileName;
    // The preset file named on the command line (handed over by start-up), or empty.
    std::string CommandLineFile;

    QMenu CmdFile;
    QAction CmdOpen;
    QAction CmdSaveAs;
    QAction CmdPageSetup;
    QAction CmdPrint;
    QAction CmdExit;
    QMenu CmdEdit;
    QAction CmdCopy;
    QAction CmdSelectAll;
    QMenu CmdOptions;
    QMenu CmdColumnCount;
    QActionGroup ColumnItems;
    QAction Cmd1Col;
    QAction Cmd2Col;
    QAction Cmd3Col;
    QAction Cmd4Col;
    QMenu CmdHelp;
    QAction CmdContents;
    QAction CmdAbout;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void BuildMenu();
    void AddItem(QMenu& menu, QAction& item, int tag, void (TFormMain::*handler)());
    void OpenDroppedFile(const QString& path);

    IDialogs& Dialogs;
    std::function<std::optional<QRect>()> WorkArea;
    std::string ProgramFolder;
    std::vector<QAction*> Items;
    TFormMIDI* FormMIDI = nullptr;
    TFormAbout* FormAbout = nullptr;
    TFormSplash* FormSplash = nullptr;
    bool Shown = false;

    QWidget MainPanel;
    QVBoxLayout MainLayout;
    // Declared after MainPanel so that the view goes first at destruction.
    std::unique_ptr<IReportView> PresetBrowser;
    std::unique_ptr<IReportSource> ReportSource;
    std::unique_ptr<THelpWindow> Help;
    TFileDropFilter DropFilter;
};

} // namespace qvr
