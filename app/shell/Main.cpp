#include "app/shell/Main.h"

#include "app/common/AnsiText.h"
#include "app/common/ExceptionDisplay.h"
#include "app/common/ProgramIcon.h"
#include "app/common/ViewerSettings.h"
#include "app/compare/ComparePresetsDialog.h"
#include "app/compare/CompareWindow.h"
#include "app/device/DeviceReceiver.h"
#include "app/device/DeviceSender.h"
#include "app/device/MIDIConfig.h"
#include "app/report/PresetCommands.h"
#include "app/report/ReportFile.h"
#include "app/report/StatusLine.h"
#include "app/report/Zoom.h"
#include "app/shell/About.h"
#include "app/shell/Disclaim.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/OpenFilters.h"
#include "app/shell/Placement.h"
#include "base/ProgramConvention.h"
#include "platform/InputFile.h"
#include "report/ColumnCount.h"
#include "sysex/PresetHeader.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <exception>

namespace qvr {

namespace {

// Shows the hourglass cursor for the life of a load.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

void CentreOver(QWidget& dialog, const QWidget& owner) {
    const QRect frame = owner.frameGeometry();
    dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

// Keeps a modal window above the main window, as the window manager should. A window with a
// parent widget is kept above its parent's window already, and must not be given a native
// window here: winId() marks it native, and a native window makes every other child of its
// parent native too. The main window's menu bar, status bar and panels would then be windows
// of their own that its OpenGL drawing no longer reaches, and keep showing stale pixels.
void StayAbove(QWidget& dialog, QWidget& owner) {
    if (dialog.parentWidget() != nullptr) {
        return;
    }
    dialog.winId();
    owner.winId();
    if (dialog.windowHandle() != nullptr) {
        dialog.windowHandle()->setTransientParent(owner.windowHandle());
    }
}

// The folder part of a file's path with one trailing separator (the root
// folder already ends with it).
QString FolderWithSeparator(const QString& file) {
    QString folder = QFileInfo(file).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

} // namespace

std::optional<QRect> PrimaryWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return screen->availableGeometry();
}

TMainMenu::TMainMenu(QWidget* owner)
    : TReportCommands(owner), CmdFile(owner), CmdOpen(owner), CmdReload(owner), CmdRecent(owner),
      CmdCompareWith(owner), CmdReceive(owner), CmdSendToDevice(owner), CmdSavePresetAs(owner),
      CmdSendPreset(owner), CmdExit(owner), CmdEdit(owner), CmdGoToPreset(owner),
      CmdComparePresets(owner), CmdOptions(owner), CmdColumnCount(owner), ColumnItems(owner),
      Cmd1Col(owner), Cmd2Col(owner), Cmd3Col(owner), Cmd4Col(owner), CmdMIDIDevices(owner),
      CmdPresetsPanel(owner), CmdZoom(owner), CmdZoomIn(owner), CmdZoomOut(owner),
      CmdActualSize(owner), CmdHelp(owner), CmdContents(owner), CmdAbout(owner) {}

TFormMain::TFormMain(TFormMainServices services)
    : MainMenu(this), Dialogs(*services.Dialogs), WorkArea(std::move(services.WorkArea)),
      ReportFolder(std::move(services.ReportFolder)),
      ReportFolderProblem(std::move(services.ReportFolderProblem)), Columns(DefaultColumnCount),
      Zoom(NormalZoom),
      Recent(MainMenu.CmdRecent,
             [this](const std::string& file) { Guarded([&] { OpenPresetFile(file); }); }),
      Watch([this] { FileChangedOnDisk(); }), MainPanel(this), MainLayout(&MainPanel),
      PresetBrowser(std::move(services.ReportView)), Finder(*PresetBrowser, *this),
      Presets(*this, [this](int position) { PresetBrowser->ShowPreset(position); }),
      LibraryPart(*this, *services.Dialogs, services.LibraryDatabase,
                  [this](const std::string& file, int64_t position) {
                      Guarded([&] {
                          // The library counts a preset without heading; the view's
                          // presets are its headings.
                          if (!OpenPresetFile(file)) {
                              return;
                          }
                          const int64_t heading =
                              position - 1 - ReportSource->LastPresetsWithoutHeading();
                          if (heading >= 0) {
                              PresetBrowser->ShowPreset(static_cast<int>(heading));
                          }
                      });
                  }),
      DropFilter([this](const QString& path) { OpenDroppedFile(path); }),
      MidiPorts(std::move(services.MidiPorts)) {
    ReportSource = services.MakeReportSource(Notices);

    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(250, 100);
    resize(736, 456);
    move(523, 214);

    MainPanel.setObjectName(QStringLiteral("MainPanel"));
    MainLayout.setContentsMargins(12, 12, 12, 12);
    MainLayout.addWidget(&PresetBrowser->Widget());
    MainLayout.addWidget(&Finder);
    setCentralWidget(&MainPanel);
    StatusLine.setObjectName(QStringLiteral("StatusLine"));
    statusBar()->addWidget(&StatusLine, 1);
    addDockWidget(Qt::LeftDockWidgetArea, &Presets);
    TViewEvents events;
    events.Progress = [this](int headings) {
        if (const int32_t presets = ReportSource->LastSummary().PresetCount; presets > 0) {
            statusBar()->showMessage(LoadingStatusText(std::min(headings, presets), presets));
        }
    };
    events.Loaded = [this](bool) { statusBar()->clearMessage(); };
    events.RendererEnded = [this](const QString&) { statusBar()->clearMessage(); };
    events.ZoomStep = [this](int step) { SetZoom(NextZoom(Zoom, step)); };
    PresetBrowser->SetEvents(std::move(events));

    BuildMenu();

    setAcceptDrops(true);
    DropFilter.Watch(*this);

    FormCreate();
}

TFormMain::~TFormMain() {
    // The view's events reach into the report source and the status line, which are
    // destroyed before the view: a page that reports progress while it is torn down must find
    // no one listening.
    PresetBrowser->SetEvents({});
}

void TFormMain::BuildMenu() {
    TMainMenu& m = MainMenu;
    const auto shown = [this] { return ReportShown; };
    const auto fileOpen = [this] { return !CurrentFile.empty(); };
    // Commands that read the open file again by name; standard input was read once.
    const auto fileOnDisk = [this] { return !CurrentFile.empty() && CurrentFile != "-"; };
    const auto run = [this](void (TFormMain::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    std::vector<TCommandRow> rows = {
        MenuRow(m.CmdFile, "CmdFile", "&File"),
        CommandRow(m.CmdOpen, "CmdOpen", "&Open...",
                   StandardKeys(QKeySequence::Open, Qt::CTRL | Qt::Key_O),
                   run(&TFormMain::CmdOpenClick)),
        m.SaveAs(run(&TFormMain::CmdSaveAsClick), shown),
        m.PageSetup(*PresetBrowser, shown),
        m.Print(*PresetBrowser, shown),
        CommandRow(m.CmdReload, "CmdReload", "&Reload", {QKeySequence(Qt::Key_F5)},
                   run(&TFormMain::CmdReloadClick), fileOpen),
        MenuRow(m.CmdRecent, "CmdRecent", "Recen&t Files"),
        EndMenuRow(),
        CommandRow(m.CmdCompareWith, "CmdCompareWith", "Compare &With...", {},
                   run(&TFormMain::CmdCompareWithClick), fileOnDisk),
        CommandRow(m.CmdReceive, "CmdReceive", "Recei&ve from Device...", {},
                   run(&TFormMain::CmdReceiveClick)),
        CommandRow(m.CmdSendToDevice, "CmdSendToDevice", "Sen&d to Device...", {},
                   run(&TFormMain::CmdSendToDeviceClick), fileOnDisk),
        CommandRow(m.CmdSavePresetAs, "CmdSavePresetAs", "Save Pres&et As...", {},
                   run(&TFormMain::CmdSavePresetAsClick), fileOnDisk),
        CommandRow(m.CmdSendPreset, "CmdSendPreset", "Send Preset to Devi&ce...", {},
                   run(&TFormMain::CmdSendPresetClick), fileOnDisk),
        SeparatorRow(),
        CommandRow(m.CmdExit, "CmdExit", "E&xit",
                   StandardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q), [this] { close(); }),
        EndMenuRow(),

        MenuRow(m.CmdEdit, "CmdEdit", "&Edit"),
        m.Copy(*PresetBrowser),
        m.SelectAll(*PresetBrowser),
        m.Find(Finder),
        CommandRow(m.CmdGoToPreset, "CmdGoToPreset", "&Go to Preset...",
                   {QKeySequence(Qt::CTRL | Qt::Key_G)}, run(&TFormMain::CmdGoToPresetClick),
                   [this] { return Presets.List.count() > 0; }),
        SeparatorRow(),
        CommandRow(m.CmdComparePresets, "CmdComparePresets", "Compare &Presets...", {},
                   run(&TFormMain::CmdComparePresetsClick), fileOnDisk),
        EndMenuRow(),

        MenuRow(m.CmdOptions, "CmdOptions", "&Options"),
        MenuRow(m.CmdColumnCount, "CmdColumnCount", "&Column Count"),
        CommandRow(m.Cmd1Col, "Cmd1Col", "1", {}, [this] { CmdColClick(1); }),
        CommandRow(m.Cmd2Col, "Cmd2Col", "2", {}, [this] { CmdColClick(2); }),
        CommandRow(m.Cmd3Col, "Cmd3Col", "3", {}, [this] { CmdColClick(3); }),
        CommandRow(m.Cmd4Col, "Cmd4Col", "4", {}, [this] { CmdColClick(4); }),
        EndMenuRow(),
        CommandRow(m.CmdMIDIDevices, "CmdMIDIDevices", "&MIDI Devices...", {},
                   run(&TFormMain::CmdMIDIClick)),
        CommandRow(m.CmdPresetsPanel, "CmdPresetsPanel", "&Presets Panel", {},
                   [this] { Presets.setHidden(!MainMenu.CmdPresetsPanel.isChecked()); }),
        CommandRow(LibraryPart.PanelItem, "CmdLibraryPanel", "&Library Panel", {},
                   [this] { LibraryPart.ShowPanel(LibraryPart.PanelItem.isChecked()); }),
        CommandRow(LibraryPart.FoldersItem, "CmdLibraryFolders", "Library &Folders...", {},
                   [this] { LibraryPart.EditFolders(); }),
        MenuRow(m.CmdZoom, "CmdZoom", "&Zoom"),
        // Ctrl++ is typed as Ctrl+= on many keyboards.
        CommandRow(m.CmdZoomIn, "CmdZoomIn", "Zoom &In",
                   QKeySequence::keyBindings(QKeySequence::ZoomIn)
                       << QKeySequence(Qt::CTRL | Qt::Key_Equal),
                   [this] { SetZoom(NextZoom(Zoom, +1)); }),
        CommandRow(m.CmdZoomOut, "CmdZoomOut", "Zoom &Out",
                   QKeySequence::keyBindings(QKeySequence::ZoomOut),
                   [this] { SetZoom(NextZoom(Zoom, -1)); }),
        CommandRow(m.CmdActualSize, "CmdActualSize", "&Actual Size",
                   {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { SetZoom(NormalZoom); }),
        EndMenuRow(),
        EndMenuRow(),

        MenuRow(m.CmdHelp, "CmdHelp", "&Help"),
        CommandRow(m.CmdContents, "CmdContents", "Contents", {QKeySequence(Qt::Key_F1)},
                   run(&TFormMain::CmdContentsClick)),
        CommandRow(m.CmdAbout, "CmdAbout", "About...", {}, run(&TFormMain::CmdAboutClick)),
        EndMenuRow(),
    };
    Commands.Build(*menuBar(), std::move(rows),
                   [this](const std::function<void()>& command) { Guarded(command); });

    int tag = 1;
    for (QAction* item : {&m.Cmd1Col, &m.Cmd2Col, &m.Cmd3Col, &m.Cmd4Col}) {
        item->setCheckable(true);
        item->setData(tag++);
        m.ColumnItems.addAction(item);
    }
    m.ColumnItems.setExclusive(true);
    m.Cmd4Col.setChecked(true);
    m.CmdPresetsPanel.setCheckable(true);
    // The panel's close box unticks the item; the window's own hiding (minimised) does not.
    connect(&Presets, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (isVisible() && !isMinimized()) {
            MainMenu.CmdPresetsPanel.setChecked(visible);
        }
    });
}

int TFormMain::Tag(const QAction& item) {
    return item.data().toInt();
}

void TFormMain::SetForms(std::unique_ptr<TFormMIDI> midi, std::unique_ptr<TFormAbout> about,
                         std::unique_ptr<TFormSplash> splash) {
    FormMIDI = std::move(midi);
    FormAbout = std::move(about);
    FormSplash = std::move(splash);
    MidiDevices = std::make_unique<TMidiDevices>(*FormMIDI, MidiPorts);
    MidiDevices->Startup();
}

void TFormMain::FormCreate() {
    const std::optional<QRect> area = WorkArea ? WorkArea() : std::nullopt;
    if (const auto stored = LoadWindowSettings({x(), y(), width(), height()})) {
        TWindowBounds bounds = ClampStoredBounds(stored->Bounds, area);
        if (area) {
            bounds = FitOnWorkArea(bounds, *area, minimumSize());
        }
        resize(bounds.Width, bounds.Height);
        move(bounds.Left, bounds.Top);
        Columns = stored->ColumnCount;
    } else if (area) {
        // First run: the design size at the centre of the desktop.
        move(CentredPosition(size(), *area));
    }
    for (QAction* item : MenuItems()) {
        if (Tag(*item) == Columns) {
            item->setChecked(true);
            break;
        }
    }
    const TViewSettings view = LoadViewSettings();
    SetZoom(view.Zoom);
    Recent.Set(view.RecentFiles);
    MainMenu.CmdPresetsPanel.setChecked(view.PresetsPanel);
    Presets.setHidden(!view.PresetsPanel);
    LibraryPart.PanelItem.setChecked(view.LibraryPanel);
    LibraryPart.Panel.setHidden(!view.LibraryPanel);
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        // Runs once the window is on screen, from the message loop.
        QMetaObject::invokeMethod(
            this, [this] { Guarded([this] { FormShow(); }); }, Qt::QueuedConnection);
    }
}

void TFormMain::FormShow() {
    ReportFile = ReportFolder.empty() ? std::string() : ReportFolder + ReportFileTitle;
    setWindowTitle(QString::fromLatin1(MainWindowCaption));
    if (FormSplash) {
        StayAbove(*FormSplash, *this);
        Dialogs.RunModal(*FormSplash);
    }
    LibraryPart.StartUpdate();
    if (CommandLineFile == "-") {
        LoadPresetFile(CommandLineFile);
    } else if (!CommandLineFile.empty()) {
        OpenPresetFile(CommandLineFile);
    }
}

void TFormMain::SetCommandLineInput(std::string bytes) {
    ReportSource->KeepStandardInput(std::move(bytes));
    CommandLineFile.assign(1, '-'); // "-", standard input (a literal here warns falsely in GCC 12)
}

void TFormMain::closeEvent(QCloseEvent* event) {
    Guarded([this] { FormClose(); });
    if (Help) {
        Help->close();
    }
    if (CompareView) {
        CompareView->close();
    }
    event->accept();
}

void TFormMain::FormClose() {
    if (!ReportFile.empty()) {
        QFile::remove(FromFileNameBytes(ReportFile));
    }
    SaveWindowSettings({{x(), y(), width(), height()}, Columns});
    SaveViewSettings({Zoom, Recent.Files(), MainMenu.CmdPresetsPanel.isChecked(),
                      LibraryPart.PanelItem.isChecked()});
}

void TFormMain::LoadPresetFile(const std::string& fileName) {
    LoadPresetFile(fileName, TScroll::Top);
}

void TFormMain::LoadPresetFile(const std::string& fileName, TScroll scroll) {
    CurrentFile = fileName;
    std::string document;
    bool written = false;
    {
        TWaitCursor wait;
        Notices.StartLoad();
        LoadingFile = fileName;
        const struct TLoaded {
            std::string& File;
            ~TLoaded() { File.clear(); }
        } loaded{LoadingFile};
        document = ReportSource->Build(fileName, Columns);
        written = WriteReportFile(ReportFile, document);
    }
    bool shown = true;
    if (written) {
        PresetBrowser->Navigate(FromFileNameBytes(ReportFile), scroll);
    } else {
        // Without its file the report can still be shown from memory, but not printed or saved.
        const QString why =
            ReportFile.empty()
                ? QStringLiteral("no private folder for it could be made (%1)")
                      .arg(FromMessageText(ReportFolderProblem))
                : QStringLiteral("%1 cannot be written").arg(FromFileNameBytes(ReportFile));
        shown = PresetBrowser->ShowDocument(document);
        Dialogs.ShowMessageOver(
            *this, TMessageKind::Error, QStringLiteral("Error"),
            shown ? QStringLiteral("The report is shown from memory: %1.\nSave As and Print need "
                                   "its file and stay off until a report can be written.")
                        .arg(why)
                  : QStringLiteral("The report cannot be shown: %1.\nIt is too large to be shown "
                                   "without its file; qvrreport writes the same report to a file "
                                   "of your choice.")
                        .arg(why));
    }
    if (fileName != "-") {
        Watch.Watch(FromFileNameBytes(fileName));
    }
    ReportShown = written;
    Presets.SetPresets(ReportSource->LastPresets());
    UpdateCommands();
    const QString status =
        fileName.empty()
            ? QString()
            : LoadStatusText(FromFileNameBytes(SourceName(fileName)), ReportSource->LastSummary(),
                             Notices.ErrorCount(), Notices.WarningCount());
    StatusLine.setText(shown || status.isEmpty() ? status
                                                 : status + QStringLiteral(" \u2014 not shown"));
}

bool TFormMain::OpenPresetFile(const std::string& fileName, TScroll scroll) {
    const std::string reason = WhyNotReadable(fileName);
    if (!reason.empty()) {
        Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Error"),
                            QStringLiteral("Cannot open %1: %2.")
                                .arg(FromFileNameBytes(fileName), FromMessageText(reason)));
        return false;
    }
    LoadPresetFile(fileName, scroll);
    Recent.Add(fileName);
    return true;
}

void TFormMain::CmdReloadClick() {
    if (CurrentFile == "-") {
        LoadPresetFile(CurrentFile, TScroll::Keep); // kept in memory: read once
    } else if (!CurrentFile.empty()) {
        OpenPresetFile(CurrentFile, TScroll::Keep);
    }
}

void TFormMain::FileChangedOnDisk() {
    if (QApplication::activeModalWidget() != nullptr) {
        // A box or dialog waits for the user (perhaps one of a load): read the file after it.
        QTimer::singleShot(TFileWatch::SettleMs, this, [this] { FileChangedOnDisk(); });
        return;
    }
    Guarded([this] { CmdReloadClick(); });
}

void TFormMain::CmdOpenClick() {
    if (const auto stored = LoadOpenSettings()) {
        FileOpenDlg.FilterIndex = stored->FilterIndex;
        FileOpenDlg.InitialDir = FromFileNameBytes(stored->InitialDir);
    }
    if (!Dialogs.RunOpenDialog(*this, FileOpenDlg)) {
        return;
    }
    const QString chosen = QFileInfo(FileOpenDlg.FileName).absoluteFilePath();
    SaveOpenSettings({FileOpenDlg.FilterIndex, ToFileNameBytes(FolderWithSeparator(chosen))});
    OpenPresetFile(ToFileNameBytes(chosen));
}

void TFormMain::OpenDroppedFile(const QString& path) {
    // A dropped file opens as Open would, but leaves the settings alone.
    Guarded([&] { OpenPresetFile(ToFileNameBytes(QFileInfo(path).absoluteFilePath())); });
}

void TFormMain::CmdSaveAsClick() {
    // The shown file and every configuration file the report could have read.
    std::vector<std::string> inputs = ProductConfigPaths(ViewerConfigSearch());
    inputs.push_back(CurrentFile);
    // The preset file's name with .html, in its folder.
    const QFileInfo preset(FromFileNameBytes(CurrentFile));
    PresetBrowser->SaveAs(CurrentFile.empty() ? QStringLiteral("report.html")
                                              : preset.dir().filePath(preset.completeBaseName() +
                                                                      QStringLiteral(".html")),
                          inputs);
}
void TFormMain::SetZoom(int32_t percent) {
    Zoom = percent;
    PresetBrowser->SetZoom(percent / 100.0);
}

void TFormMain::CmdColClick(int32_t columns) {
    Columns = columns;
    for (QAction* item : MainMenu.ColumnItems.actions()) {
        item->setChecked(Tag(*item) == columns);
    }
    LoadPresetFile(CurrentFile);
}

void TFormMain::CmdGoToPresetClick() {
    int number = 1;
    if (!Dialogs.AskNumber(*this, QStringLiteral("Go to Preset"), QStringLiteral("Preset number:"),
                           number, 0, FirstUnnumberedIndex)) {
        return;
    }
    const int position = Presets.PositionOf(number);
    if (position < 0) {
        Dialogs.ShowMessageOver(*this, TMessageKind::Warning, QStringLiteral("Go to Preset"),
                                QStringLiteral("There is no preset #%1 in this file.").arg(number));
        return;
    }
    PresetBrowser->ShowPreset(position);
}

void TFormMain::CmdContentsClick() {
    if (!Help) {
        Help = std::make_unique<THelpWindow>();
    }
    Help->ShowContents();
}

void TFormMain::CmdAboutClick() {
    if (FormAbout) {
        CentreOver(*FormAbout, *this);
        StayAbove(*FormAbout, *this);
        Dialogs.RunModal(*FormAbout);
    }
}

void TFormMain::CmdCompareWithClick() {
    // Most often the other file is of the same kind as the open one.
    CompareOpenDlg.FilterIndex = OpenFilterIndexFor(FromFileNameBytes(CurrentFile));
    if (CompareOpenDlg.InitialDir.isEmpty()) {
        CompareOpenDlg.InitialDir = QFileInfo(FromFileNameBytes(CurrentFile)).absolutePath();
    }
    if (!Dialogs.RunOpenDialog(*this, CompareOpenDlg)) {
        return;
    }
    if (!CompareView) {
        CompareView = std::make_unique<TCompareWindow>(Dialogs);
    }
    const std::string other =
        ToFileNameBytes(QFileInfo(CompareOpenDlg.FileName).absoluteFilePath());
    CompareView->ShowComparison(*this, {CurrentFile}, {other}, ReportFile);
}

void TFormMain::CmdComparePresetsClick() {
    TComparePresetsDialog dialog(this);
    dialog.SetPresets(ListPresets(CurrentFile));
    StayAbove(dialog, *this);
    Dialogs.RunModal(dialog);
    const auto picked = dialog.Picked();
    if (dialog.result() != QDialog::Accepted || !picked) {
        return;
    }
    if (!CompareView) {
        CompareView = std::make_unique<TCompareWindow>(Dialogs);
    }
    CompareView->ShowComparison(*this, {CurrentFile, std::nullopt, picked->first},
                                {CurrentFile, std::nullopt, picked->second}, ReportFile);
}

void TFormMain::CmdMIDIClick() {
    if (MidiDevices) {
        MidiDevices->Configure([this](QDialog& dialog) {
            CentreOver(dialog, *this);
            StayAbove(dialog, *this);
            Dialogs.RunModal(dialog);
        });
    }
}

void TFormMain::CmdReceiveClick() {
    if (!Receiver) {
        TDeviceReceiver::THooks hooks;
        hooks.Owner = this;
        hooks.Notifier = this;
        hooks.RunModal = [this](QDialog& dialog) {
            CentreOver(dialog, *this);
            Dialogs.RunModal(dialog);
        };
        hooks.Show = [this](const std::string& fileName, bool saved) {
            LoadPresetFile(fileName);
            if (!saved) {
                // Its copy has a name of the program's choosing, in a folder of the program's.
                StatusLine.setText(LoadStatusText(QStringLiteral("Received dump (not saved)"),
                                                  ReportSource->LastSummary(), Notices.ErrorCount(),
                                                  Notices.WarningCount()));
            }
        };
        hooks.SaveAfterAll = [this] {
            return Dialogs.Ask(*this, QStringLiteral("Receive from Device"),
                               QStringLiteral("The received dump has not been saved, and it will "
                                              "be lost with the next dump or when the viewer "
                                              "closes.\nSave it now?"));
        };
        hooks.AskSaveName = [this](QString& fileName, const QString& filter) {
            TSaveDialogState save{QStringLiteral("Save received dump"),
                                  {filter, QStringLiteral("All Files (*)")},
                                  fileName,
                                  filter};
            if (!Dialogs.RunSaveDialog(*this, save)) {
                return false;
            }
            fileName = save.FileName;
            return true;
        };
        hooks.Folder = [] {
            const auto stored = LoadOpenSettings();
            return stored ? FromFileNameBytes(stored->InitialDir) : QString();
        };
        Receiver = std::make_unique<TDeviceReceiver>(std::move(hooks));
    }
    Receiver->Receive(MidiDevices ? MidiDevices->InputPort() : std::string());
}

void TFormMain::CmdSendToDeviceClick() {
    SendToDevice(false);
}

void TFormMain::CmdSendPresetClick() {
    SendToDevice(true);
}

void TFormMain::SendToDevice(bool onePreset) {
    TDump dump;
    if (!LoadOpenFile(*this, Dialogs, CurrentFile, dump)) {
        return;
    }
    const TDumpPreset* preset = nullptr;
    if (onePreset) {
        preset = PickPreset(*this, Dialogs, dump, QStringLiteral("Send Preset to Device"));
        if (preset == nullptr) {
            return;
        }
    }
    TDeviceSender sender({this, &Dialogs, [this](QDialog& dialog) {
                              CentreOver(dialog, *this);
                              Dialogs.RunModal(dialog);
                          }});
    sender.Send(CurrentFile, dump, preset, MidiDevices ? MidiDevices->OutputPort() : std::string());
}

void TFormMain::CmdSavePresetAsClick() {
    TDump dump;
    if (!LoadOpenFile(*this, Dialogs, CurrentFile, dump)) {
        return;
    }
    if (const TDumpPreset* preset =
            PickPreset(*this, Dialogs, dump, QStringLiteral("Save Preset As"))) {
        SavePresetAs(*this, Dialogs, CurrentFile, dump, *preset);
    }
}

void TFormMain::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        Dialogs.ShowMessage(TMessageKind::Stop, QString::fromLatin1(ApplicationTitle),
                            FromMessageText(StandardExceptionText(ExceptionMessage(e))));
    } catch (...) {
        Dialogs.ShowMessage(TMessageKind::Stop, QString::fromLatin1(ApplicationTitle),
                            FromMessageText(StandardExceptionText("Unknown exception")));
    }
}

void TFormMain::ShowError(const std::string& text) {
    Dialogs.ShowMessageOver(*this, TMessageKind::Error, QStringLiteral("Error"), NoticeText(text));
}

void TFormMain::ShowWarning(const std::string& text) {
    Dialogs.ShowMessageOver(*this, TMessageKind::Warning, QStringLiteral("Warning"),
                            NoticeText(text));
}

QString TFormMain::NoticeText(const std::string& text) const {
    return LoadingFile.empty() ? FromMessageText(text)
                               : QStringLiteral("%1\n\nFile: %2")
                                     .arg(FromMessageText(text), FromFileNameBytes(LoadingFile));
}

} // namespace qvr
