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
#include "app/edit/PresetEditDialog.h"
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
#include "edit/DeviceUseInLibrary.h"
#include "library/Schema.h"
#include "platform/InputFile.h"
#include "report/ColumnCount.h"
#include "sysex/PresetHeader.h"
#include "sysex/Products.h"

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
#include <filesystem>

namespace qvr {

namespace {

// What the library shows that the devices of the dump's model use; nothing without a library
// or with one that cannot be read (the edit then keeps to the configuration's ranges).
TDeviceUse ViewerDeviceUse(const std::string& database, const TDump& dump) {
    std::error_code error;
    if (database.empty() || !dump.ProductId || !std::filesystem::exists(database, error)) {
        return {};
    }
    try {
        return DeviceUseInLibrary(std::make_shared<TSqlite>(OpenLibrary(database)),
                                  ModelName(*dump.ProductId));
    } catch (const ELibraryDatabase&) {
        return {};
    }
}

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

TMainForms::~TMainForms() = default;
TDevicePart::~TDevicePart() = default;

TFormMain::TFormMain(TFormMainServices services)
    : Dialogs(*services.Dialogs), Zoom(NormalZoom),
      Recent(*this, [this](const std::string& file) { Guarded([&] { OpenPresetFile(file); }); }),
      MainPanel(this),
      Document({std::move(services.MakeReportSource), std::move(services.ReportView),
                services.Dialogs, this, std::move(services.ReportFolder),
                std::move(services.ReportFolderProblem), services.PartBytes,
                [this](const std::function<void()>& command) { Guarded(command); }}),
      Finder(Document.View(), *this),
      Presets(*this, [this](int position) { Guarded([&] { Document.ShowPreset(position); }); }),
      LibraryPart(*this, *services.Dialogs, services.LibraryDatabase,
                  [this](const std::string& file, int64_t position) {
                      Guarded([&] {
                          // The library counts a preset without heading; the view's
                          // presets are its headings.
                          if (!OpenPresetFile(file)) {
                              return;
                          }
                          const int64_t heading = position - 1 - Document.PresetsWithoutHeading();
                          if (heading >= 0) {
                              Document.ShowPreset(static_cast<int>(heading));
                          }
                      });
                  }),
      DropFilter([this](const QString& path) {
          // A dropped file opens as Open would, but leaves the settings alone.
          Guarded([&] { OpenPresetFile(ToFileNameBytes(QFileInfo(path).absoluteFilePath())); });
      }),
      Device{std::move(services.MidiPorts), nullptr, nullptr} {
    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(250, 100);
    resize(736, 456);
    move(523, 214);

    MainPanel.setObjectName(QStringLiteral("MainPanel"));
    MainPanel.Layout.setContentsMargins(12, 12, 12, 12);
    MainPanel.Layout.addWidget(&Document.View().Widget());
    MainPanel.Layout.addWidget(&Finder);
    setCentralWidget(&MainPanel);
    StatusLine.setObjectName(QStringLiteral("StatusLine"));
    statusBar()->addWidget(&StatusLine, 1);
    addDockWidget(Qt::LeftDockWidgetArea, &Presets);
    connect(&Document, &TReportDocument::Loading, this,
            [this](const QString& progress) { statusBar()->showMessage(progress); });
    connect(&Document, &TReportDocument::Shown, this, [this] { PageShown(); });
    connect(&Document, &TReportDocument::Opened, this,
            [this](const std::string& file) { Recent.Add(file); });
    connect(&Document, &TReportDocument::ZoomStep, this,
            [this](int step) { SetZoom(NextZoom(Zoom, step)); });

    BuildMenu();

    setAcceptDrops(true);
    DropFilter.Watch(*this);

    FormCreate(services.WorkArea ? services.WorkArea() : std::nullopt);
}

TFormMain::~TFormMain() = default;

void TFormMain::BuildMenu() {
    IReportView& view = Document.View();
    const auto shown = [this] { return Document.ShownFromFile(); };
    const auto fileOpen = [this] { return !Document.FileName().empty(); };
    // Commands that read the open file again by name; standard input was read once.
    const auto fileOnDisk = [this] { return Document.OnDisk(); };
    const auto parted = [this](int step) {
        return [this, step] {
            const int part = Document.Part() + step;
            return Document.PartCount() > 1 && part >= 0 && part < Document.PartCount();
        };
    };
    const auto run = [this](void (TFormMain::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    const auto columns = [this](int count) { return [this, count] { CmdColClick(count); }; };
    namespace Rc = ReportCommands;
    std::vector<TCommandRow> rows = {
        MenuRow("CmdFile", "&File"),
        CommandRow("CmdOpen", "&Open...", StandardKeys(QKeySequence::Open, Qt::CTRL | Qt::Key_O),
                   run(&TFormMain::CmdOpenClick)),
        Rc::SaveAs(run(&TFormMain::CmdSaveAsClick), shown),
        Rc::PageSetup(view, shown),
        Rc::Print(view, shown),
        CommandRow(
            "CmdReload", "&Reload", {QKeySequence(Qt::Key_F5)}, [this] { Document.Reload(); },
            fileOpen),
        MenuRow(Recent.Menu(), "CmdRecent", "Recen&t Files"),
        EndMenuRow(),
        CommandRow("CmdCompareWith", "Compare &With...", {}, run(&TFormMain::CmdCompareWithClick),
                   fileOnDisk),
        CommandRow("CmdReceive", "Recei&ve from Device...", {}, run(&TFormMain::CmdReceiveClick)),
        CommandRow(
            "CmdSendToDevice", "Sen&d to Device...", {}, [this] { SendToDevice(false); },
            fileOnDisk),
        CommandRow("CmdSavePresetAs", "Save Pres&et As...", {},
                   run(&TFormMain::CmdSavePresetAsClick), fileOnDisk),
        CommandRow(
            "CmdSendPreset", "Send Preset to Devi&ce...", {}, [this] { SendToDevice(true); },
            fileOnDisk),
        SeparatorRow(),
        CommandRow("CmdExit", "E&xit", StandardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q),
                   [this] { close(); }),
        EndMenuRow(),

        MenuRow("CmdEdit", "&Edit"),
        Rc::Copy(view),
        Rc::SelectAll(view),
        Rc::Find(Finder),
        CommandRow("CmdGoToPreset", "&Go to Preset...", {QKeySequence(Qt::CTRL | Qt::Key_G)},
                   run(&TFormMain::CmdGoToPresetClick),
                   [this] { return Presets.List.count() > 0; }),
        CommandRow(
            "CmdNextPart", "&Next Part", {QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
            [this] { CmdPartClick(+1); }, parted(+1)),
        CommandRow(
            "CmdPreviousPart", "Pre&vious Part", {QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
            [this] { CmdPartClick(-1); }, parted(-1)),
        SeparatorRow(),
        CommandRow("CmdEditPreset", "&Edit Preset...", {QKeySequence(Qt::CTRL | Qt::Key_E)},
                   run(&TFormMain::CmdEditPresetClick), fileOnDisk),
        CommandRow("CmdComparePresets", "Compare &Presets...", {},
                   run(&TFormMain::CmdComparePresetsClick), fileOnDisk),
        EndMenuRow(),

        MenuRow("CmdOptions", "&Options"),
        MenuRow("CmdColumnCount", "&Column Count"),
        Checkable(CommandRow("Cmd1Col", "&1", {}, columns(1)), 1),
        Checkable(CommandRow("Cmd2Col", "&2", {}, columns(2)), 2),
        Checkable(CommandRow("Cmd3Col", "&3", {}, columns(3)), 3),
        Checkable(CommandRow("Cmd4Col", "&4", {}, columns(4)), 4),
        EndMenuRow(),
        CommandRow("CmdMIDIDevices", "&MIDI Devices...", {}, run(&TFormMain::CmdMIDIClick)),
        Checkable(
            CommandRow("CmdPresetsPanel", "&Presets Panel", {},
                       [this] { Presets.setHidden(!Command("CmdPresetsPanel").isChecked()); })),
        CommandRow(LibraryPart.PanelItem, "CmdLibraryPanel", "&Library Panel", {},
                   [this] { LibraryPart.ShowPanel(LibraryPart.PanelItem.isChecked()); }),
        CommandRow(LibraryPart.FoldersItem, "CmdLibraryFolders", "Library &Folders...", {},
                   [this] { LibraryPart.EditFolders(); }),
        MenuRow("CmdZoom", "&Zoom"),
        // Ctrl++ is typed as Ctrl+= on many keyboards.
        CommandRow("CmdZoomIn", "Zoom &In",
                   QKeySequence::keyBindings(QKeySequence::ZoomIn)
                       << QKeySequence(Qt::CTRL | Qt::Key_Equal),
                   [this] { SetZoom(NextZoom(Zoom, +1)); }),
        CommandRow("CmdZoomOut", "Zoom &Out", QKeySequence::keyBindings(QKeySequence::ZoomOut),
                   [this] { SetZoom(NextZoom(Zoom, -1)); }),
        CommandRow("CmdActualSize", "&Actual Size", {QKeySequence(Qt::CTRL | Qt::Key_0)},
                   [this] { SetZoom(NormalZoom); }),
        EndMenuRow(),
        EndMenuRow(),

        MenuRow("CmdHelp", "&Help"),
        CommandRow("CmdContents", "&Contents", {QKeySequence(Qt::Key_F1)},
                   run(&TFormMain::CmdContentsClick)),
        CommandRow("CmdAbout", "&About...", {}, run(&TFormMain::CmdAboutClick)),
        EndMenuRow(),
    };
    Commands.Build(*menuBar(), std::move(rows),
                   [this](const std::function<void()>& command) { Guarded(command); });

    Command("Cmd4Col").setChecked(true);
    // The panel's close box unticks the item; the window's own hiding (minimised) does not.
    connect(&Presets, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (isVisible() && !isMinimized()) {
            Command("CmdPresetsPanel").setChecked(visible);
        }
    });
}

int TFormMain::Tag(const QAction& item) {
    return item.data().toInt();
}

void TFormMain::SetForms(std::unique_ptr<TFormMIDI> midi, std::unique_ptr<TFormAbout> about,
                         std::unique_ptr<TFormSplash> splash) {
    Forms.MIDI = std::move(midi);
    Forms.About = std::move(about);
    Forms.Splash = std::move(splash);
    Device.Devices = std::make_unique<TMidiDevices>(*Forms.MIDI, Device.Ports);
    Device.Devices->Startup();
}

void TFormMain::FormCreate(const std::optional<QRect>& area) {
    if (const auto stored = LoadWindowSettings({x(), y(), width(), height()})) {
        TWindowBounds bounds = ClampStoredBounds(stored->Bounds, area);
        if (area) {
            bounds = FitOnWorkArea(bounds, *area, minimumSize());
        }
        resize(bounds.Width, bounds.Height);
        move(bounds.Left, bounds.Top);
        Document.SetColumnCount(stored->ColumnCount);
    } else if (area) {
        // First run: the design size at the centre of the desktop.
        move(CentredPosition(size(), *area));
    }
    for (QAction* item : MenuItems()) {
        if (item->isCheckable() && Tag(*item) != 0) {
            item->setChecked(Tag(*item) == Document.ColumnCount());
        }
    }
    const TViewSettings view = LoadViewSettings();
    SetZoom(view.Zoom);
    Recent.Set(view.RecentFiles);
    Command("CmdPresetsPanel").setChecked(view.PresetsPanel);
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
    Document.Start(ReportFileTitle);
    setWindowTitle(QString::fromLatin1(MainWindowCaption));
    if (Forms.Splash) {
        StayAbove(*Forms.Splash, *this);
        Dialogs.RunModal(*Forms.Splash);
    }
    LibraryPart.StartUpdate();
    if (CommandLineFile == "-") {
        Document.Load(CommandLineFile, TScroll::Top, TReportOrigin::StandardInput);
    } else if (!CommandLineFile.empty()) {
        OpenPresetFile(CommandLineFile);
    }
}

void TFormMain::SetCommandLineInput(std::string bytes) {
    Document.KeepStandardInput(std::move(bytes));
    CommandLineFile.assign(1, '-'); // "-", standard input (a literal here warns falsely in GCC 12)
}

void TFormMain::closeEvent(QCloseEvent* event) {
    Guarded([this] { FormClose(); });
    if (Forms.Help) {
        Forms.Help->close();
    }
    if (Forms.Compare) {
        Forms.Compare->close();
    }
    event->accept();
}

void TFormMain::FormClose() {
    Document.Close();
    SaveWindowSettings({{x(), y(), width(), height()}, Document.ColumnCount()});
    SaveViewSettings({Zoom, Recent.Files(), Command("CmdPresetsPanel").isChecked(),
                      LibraryPart.PanelItem.isChecked()});
}

void TFormMain::PageShown() {
    statusBar()->clearMessage();
    StatusLine.setText(Document.StatusText());
    Presets.SetPresets(Document.Presets());
    Commands.UpdateCommands();
}

void TFormMain::CmdOpenClick() {
    TOpenDialogState& dialog = OpenDialogs.Open;
    if (const auto stored = LoadOpenSettings()) {
        dialog.FilterIndex = stored->FilterIndex;
        dialog.InitialDir = FromFileNameBytes(stored->InitialDir);
    }
    if (!Dialogs.RunOpenDialog(*this, dialog)) {
        return;
    }
    const QString chosen = QFileInfo(dialog.FileName).absoluteFilePath();
    SaveOpenSettings({dialog.FilterIndex, ToFileNameBytes(FolderWithSeparator(chosen))});
    OpenPresetFile(ToFileNameBytes(chosen));
}

void TFormMain::CmdSaveAsClick() {
    const std::string& file = Document.FileName();
    // The shown file and every configuration file the report could have read.
    std::vector<std::string> inputs = ProductConfigPaths(ViewerConfigSearch());
    inputs.push_back(file);
    // The preset file's name with .html, in its folder.
    const QFileInfo preset(FromFileNameBytes(file));
    Document.View().SaveAs(
        file.empty() ? QStringLiteral("report.html")
                     : preset.dir().filePath(preset.completeBaseName() + QStringLiteral(".html")),
        inputs);
}

void TFormMain::SetZoom(int32_t percent) {
    Zoom = percent;
    Document.View().SetZoom(percent / 100.0);
}

void TFormMain::CmdColClick(int32_t columns) {
    Document.SetColumnCount(columns);
    for (QAction* item : MenuItems()) {
        if (item->isCheckable() && Tag(*item) != 0) {
            item->setChecked(Tag(*item) == columns);
        }
    }
    Document.Load(Document.FileName(), TScroll::Top, Document.Origin());
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
    Document.ShowPreset(position);
}

void TFormMain::CmdPartClick(int step) {
    Document.ShowPart(Document.Part() + step);
}

void TFormMain::CmdContentsClick() {
    if (!Forms.Help) {
        Forms.Help = std::make_unique<THelpWindow>();
    }
    Forms.Help->ShowContents();
}

void TFormMain::RunOver(QDialog& dialog) {
    CentreOver(dialog, *this);
    StayAbove(dialog, *this);
    Dialogs.RunModal(dialog);
}

void TFormMain::CmdAboutClick() {
    if (Forms.About) {
        RunOver(*Forms.About);
    }
}

void TFormMain::CmdMIDIClick() {
    if (Device.Devices) {
        Device.Devices->Configure([this](QDialog& dialog) { RunOver(dialog); });
    }
}

TCompareWindow& TFormMain::Comparison() {
    if (!Forms.Compare) {
        Forms.Compare = std::make_unique<TCompareWindow>(Dialogs);
    }
    return *Forms.Compare;
}

void TFormMain::CmdCompareWithClick() {
    const std::string& file = Document.FileName();
    TOpenDialogState& dialog = OpenDialogs.Compare;
    // Most often the other file is of the same kind as the open one.
    dialog.FilterIndex = OpenFilterIndexFor(FromFileNameBytes(file));
    if (dialog.InitialDir.isEmpty()) {
        dialog.InitialDir = QFileInfo(FromFileNameBytes(file)).absolutePath();
    }
    if (!Dialogs.RunOpenDialog(*this, dialog)) {
        return;
    }
    const std::string other = ToFileNameBytes(QFileInfo(dialog.FileName).absoluteFilePath());
    Comparison().ShowComparison(*this, {file}, {other}, Document.ReportFileName());
}

void TFormMain::CmdComparePresetsClick() {
    const std::string& file = Document.FileName();
    TComparePresetsDialog dialog(this);
    dialog.SetPresets(ListPresets(file));
    StayAbove(dialog, *this);
    Dialogs.RunModal(dialog);
    const auto picked = dialog.Picked();
    if (dialog.result() != QDialog::Accepted || !picked) {
        return;
    }
    Comparison().ShowComparison(*this, {file, std::nullopt, picked->first},
                                {file, std::nullopt, picked->second}, Document.ReportFileName());
}

void TFormMain::CmdReceiveClick() {
    if (!Device.Receiver) {
        TDeviceReceiver::THooks hooks;
        hooks.Owner = this;
        hooks.Notifier = this;
        hooks.RunModal = [this](QDialog& dialog) {
            CentreOver(dialog, *this);
            Dialogs.RunModal(dialog);
        };
        hooks.Show = [this](const std::string& fileName, bool saved) {
            // An unsaved dump's copy has a name of the program's choosing, in a folder of the
            // program's: it is no file of the user's to watch or remember.
            Document.Load(fileName, TScroll::Top,
                          saved ? TReportOrigin::File : TReportOrigin::ReceivedDump);
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
        Device.Receiver = std::make_unique<TDeviceReceiver>(std::move(hooks));
    }
    Device.Receiver->Receive(Device.Devices ? Device.Devices->InputPort() : std::string());
}

void TFormMain::SendToDevice(bool onePreset) {
    const std::string& file = Document.FileName();
    TDump dump;
    if (!LoadOpenFile(*this, Dialogs, file, dump)) {
        return;
    }
    const TDumpPreset* preset = nullptr;
    if (onePreset) {
        preset = PickPreset(*this, Dialogs, dump, QStringLiteral("Send Preset to Device"));
        if (preset == nullptr) {
            return;
        }
    }
    SendDump(file, dump, preset);
}

void TFormMain::SendDump(const std::string& file, const TDump& dump, const TDumpPreset* preset) {
    TDeviceSender sender({this, &Dialogs, [this](QDialog& dialog) {
                              CentreOver(dialog, *this);
                              Dialogs.RunModal(dialog);
                          }});
    sender.Send(file, dump, preset, Device.Devices ? Device.Devices->OutputPort() : std::string());
}

void TFormMain::CmdSavePresetAsClick() {
    const std::string& file = Document.FileName();
    TDump dump;
    if (!LoadOpenFile(*this, Dialogs, file, dump)) {
        return;
    }
    if (const TDumpPreset* preset =
            PickPreset(*this, Dialogs, dump, QStringLiteral("Save Preset As"))) {
        SavePresetAs(*this, Dialogs, file, dump, *preset);
    }
}

void TFormMain::CmdEditPresetClick() {
    const std::string file = Document.FileName();
    TDump dump;
    if (!LoadOpenFile(*this, Dialogs, file, dump)) {
        return;
    }
    // The preset chosen in the panel; a file of one preset needs no choice.
    const int chosen = dump.Presets.size() == 1 ? 0 : Presets.List.currentRow();
    const TDumpPreset* preset =
        chosen >= 0 && static_cast<size_t>(chosen) < dump.Presets.size()
            ? &dump.Presets[static_cast<size_t>(chosen)]
            : PickPreset(*this, Dialogs, dump, QStringLiteral("Edit Preset"));
    if (preset == nullptr) {
        return;
    }
    const auto place = static_cast<size_t>(preset - dump.Presets.data());
    TDeviceUse use = ViewerDeviceUse(LibraryPart.DatabasePath(), dump);
    const auto send = [this, &file](const std::string& bytes, size_t edited) {
        const TDump withEdits = ReadDump(bytes);
        if (edited < withEdits.Presets.size()) {
            SendDump(file, withEdits, &withEdits.Presets[edited]);
        }
    };
    const QString written =
        OpenPresetEditor(this, Dialogs, QString::fromStdString(file), std::move(dump.Bytes), place,
                         ViewerConfigSearch(), std::move(use), send);
    if (!written.isEmpty() && written.toStdString() == file) {
        Document.Reload();
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

} // namespace qvr
