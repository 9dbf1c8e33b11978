#include "app/Main.h"

#include "app/About.h"
#include "app/AnsiText.h"
#include "app/ComparePresetsDialog.h"
#include "app/CompareWindow.h"
#include "app/DeviceReceiver.h"
#include "app/Disclaim.h"
#include "app/ExceptionDisplay.h"
#include "app/HelpWindow.h"
#include "app/MIDIConfig.h"
#include "app/Placement.h"
#include "app/ProgramIcon.h"
#include "app/ReportFile.h"
#include "app/StatusLine.h"
#include "app/ViewerSettings.h"
#include "app/Zoom.h"
#include "platform/ReadableFile.h"
#include "report/ColumnCount.h"

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

// Keeps a modal window above the main window, as the window manager should.
void StayAbove(QWidget& dialog, QWidget& owner) {
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

// The desktop's keys for a command, or the common one where the desktop has none.
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, QKeyCombination common) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    if (keys.isEmpty()) {
        keys << QKeySequence(common);
    }
    return keys;
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
    : CmdFile(QStringLiteral("&File"), owner), CmdOpen(QStringLiteral("&Open..."), owner),
      CmdSaveAs(QStringLiteral("Save &As..."), owner),
      CmdPageSetup(QStringLiteral("Page &Setup..."), owner),
      CmdPrint(QStringLiteral("&Print..."), owner), CmdReload(QStringLiteral("&Reload"), owner),
      CmdRecent(QStringLiteral("Recen&t Files"), owner),
      CmdReceive(QStringLiteral("&Receive from Device..."), owner),
      CmdExit(QStringLiteral("E&xit"), owner), CmdEdit(QStringLiteral("&Edit"), owner),
      CmdCopy(QStringLiteral("&Copy"), owner), CmdSelectAll(QStringLiteral("Select &All"), owner),
      CmdFind(QStringLiteral("&Find..."), owner), CmdOptions(QStringLiteral("&Options"), owner),
      CmdColumnCount(QStringLiteral("&Column Count"), owner), ColumnItems(owner),
      Cmd1Col(QStringLiteral("1"), owner), Cmd2Col(QStringLiteral("2"), owner),
      Cmd3Col(QStringLiteral("3"), owner), Cmd4Col(QStringLiteral("4"), owner),
      CmdZoom(QStringLiteral("&Zoom"), owner), CmdZoomIn(QStringLiteral("Zoom &In"), owner),
      CmdZoomOut(QStringLiteral("Zoom &Out"), owner),
      CmdActualSize(QStringLiteral("&Actual Size"), owner),
      CmdMIDIDevices(QStringLiteral("&MIDI Devices..."), owner),
      CmdHelp(QStringLiteral("&Help"), owner), CmdContents(QStringLiteral("Contents"), owner),
      CmdAbout(QStringLiteral("About..."), owner),
      CmdCompareWith(QStringLiteral("Compare &With..."), owner),
      CmdComparePresets(QStringLiteral("Compare &Presets..."), owner) {}

TFormMain::TFormMain(TFormMainServices services)
    : MainMenu(this), Dialogs(*services.Dialogs), WorkArea(std::move(services.WorkArea)),
      ReportFolder(std::move(services.ReportFolder)),
      ReportFolderProblem(std::move(services.ReportFolderProblem)), Columns(DefaultColumnCount),
      Zoom(NormalZoom),
      Recent(MainMenu.CmdRecent,
             [this](const std::string& file) { Guarded([&] { OpenPresetFile(file); }); }),
      Watch([this] { FileChangedOnDisk(); }), MainPanel(this), MainLayout(&MainPanel),
      PresetBrowser(std::move(services.ReportView)), Finder(*PresetBrowser, *this),
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

    BuildMenu();

    setAcceptDrops(true);
    DropFilter.Watch(*this);

    FormCreate();
}

TFormMain::~TFormMain() = default;

void TFormMain::AddItem(QMenu& menu, QAction& item, int tag, void (TFormMain::*handler)()) {
    item.setData(tag);
    menu.addAction(&item);
    connect(&item, &QAction::triggered, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
    Items.push_back(&item);
}

void TFormMain::BuildMenu() {
    TMainMenu& m = MainMenu;
    m.CmdFile.setObjectName(QStringLiteral("CmdFile"));
    menuBar()->addMenu(&m.CmdFile);
    AddItem(m.CmdFile, m.CmdOpen, 0, &TFormMain::CmdOpenClick);
    AddItem(m.CmdFile, m.CmdSaveAs, 0, &TFormMain::CmdSaveAsClick);
    AddItem(m.CmdFile, m.CmdPageSetup, 0, &TFormMain::CmdPageSetupClick);
    AddItem(m.CmdFile, m.CmdPrint, 0, &TFormMain::CmdPrintClick);
    AddItem(m.CmdFile, m.CmdReload, 0, &TFormMain::CmdReloadClick);
    m.CmdFile.addMenu(&m.CmdRecent);
    AddItem(m.CmdFile, m.CmdCompareWith, 0, &TFormMain::CmdCompareWithClick);
    AddItem(m.CmdFile, m.CmdReceive, 0, &TFormMain::CmdReceiveClick);
    m.CmdFile.addSeparator();
    AddItem(m.CmdFile, m.CmdExit, 0, &TFormMain::CmdExitClick);
    // The desktop's usual keys.
    m.CmdOpen.setShortcuts(StandardKeys(QKeySequence::Open, Qt::CTRL | Qt::Key_O));
    m.CmdSaveAs.setShortcuts(StandardKeys(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m.CmdPrint.setShortcuts(StandardKeys(QKeySequence::Print, Qt::CTRL | Qt::Key_P));
    m.CmdReload.setShortcut(QKeySequence(Qt::Key_F5));
    m.CmdExit.setShortcuts(StandardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));

    menuBar()->addMenu(&m.CmdEdit);
    AddItem(m.CmdEdit, m.CmdCopy, 0, &TFormMain::CmdCopyClick);
    AddItem(m.CmdEdit, m.CmdSelectAll, 0, &TFormMain::CmdSelectAllClick);
    m.CmdCopy.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m.CmdSelectAll.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    AddItem(m.CmdEdit, m.CmdFind, 0, &TFormMain::CmdFindClick);
    m.CmdFind.setShortcuts(StandardKeys(QKeySequence::Find, Qt::CTRL | Qt::Key_F));
    m.CmdEdit.addSeparator();
    AddItem(m.CmdEdit, m.CmdComparePresets, 0, &TFormMain::CmdComparePresetsClick);

    menuBar()->addMenu(&m.CmdOptions);
    m.CmdOptions.addMenu(&m.CmdColumnCount);
    m.ColumnItems.setExclusive(true);
    int tag = 1;
    for (QAction* item : {&m.Cmd1Col, &m.Cmd2Col, &m.Cmd3Col, &m.Cmd4Col}) {
        item->setCheckable(true);
        m.ColumnItems.addAction(item);
        AddItem(m.CmdColumnCount, *item, tag++, &TFormMain::CmdColClick);
    }
    m.Cmd4Col.setChecked(true);
    AddItem(m.CmdOptions, m.CmdMIDIDevices, 0, &TFormMain::CmdMIDIClick);
    m.CmdOptions.addMenu(&m.CmdZoom);
    AddItem(m.CmdZoom, m.CmdZoomIn, 0, &TFormMain::CmdZoomInClick);
    AddItem(m.CmdZoom, m.CmdZoomOut, 0, &TFormMain::CmdZoomOutClick);
    AddItem(m.CmdZoom, m.CmdActualSize, 0, &TFormMain::CmdActualSizeClick);
    // Ctrl++ is typed as Ctrl+= on many keyboards.
    m.CmdZoomIn.setShortcuts(QKeySequence::keyBindings(QKeySequence::ZoomIn)
                             << QKeySequence(Qt::CTRL | Qt::Key_Equal));
    m.CmdZoomOut.setShortcuts(QKeySequence::ZoomOut);
    m.CmdActualSize.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    menuBar()->addMenu(&m.CmdHelp);
    AddItem(m.CmdHelp, m.CmdContents, 0, &TFormMain::CmdContentsClick);
    AddItem(m.CmdHelp, m.CmdAbout, 0, &TFormMain::CmdAboutClick);
    m.CmdContents.setShortcut(QKeySequence(Qt::Key_F1));

    const std::pair<QAction*, const char*> names[] = {
        {&m.CmdOpen, "CmdOpen"},           {&m.CmdSaveAs, "CmdSaveAs"},
        {&m.CmdPageSetup, "CmdPageSetup"}, {&m.CmdPrint, "CmdPrint"},
        {&m.CmdExit, "CmdExit"},           {&m.CmdCopy, "CmdCopy"},
        {&m.CmdSelectAll, "CmdSelectAll"}, {&m.Cmd1Col, "Cmd1Col"},
        {&m.Cmd2Col, "Cmd2Col"},           {&m.Cmd3Col, "Cmd3Col"},
        {&m.Cmd4Col, "Cmd4Col"},           {&m.CmdContents, "CmdContents"},
        {&m.CmdAbout, "CmdAbout"},         {&m.CmdReload, "CmdReload"},
        {&m.CmdFind, "CmdFind"},           {&m.CmdZoomIn, "CmdZoomIn"},
        {&m.CmdZoomOut, "CmdZoomOut"},     {&m.CmdActualSize, "CmdActualSize"},
        {&m.CmdReceive, "CmdReceive"},     {&m.CmdMIDIDevices, "CmdMIDIDevices"}};
    for (const auto& [item, name] : names) {
        item->setObjectName(QString::fromLatin1(name));
    }
    m.CmdCompareWith.setObjectName(QStringLiteral("CmdCompareWith"));
    m.CmdComparePresets.setObjectName(QStringLiteral("CmdComparePresets"));
    m.CmdEdit.setObjectName(QStringLiteral("CmdEdit"));
    m.CmdOptions.setObjectName(QStringLiteral("CmdOptions"));
    m.CmdColumnCount.setObjectName(QStringLiteral("CmdColumnCount"));
    m.CmdHelp.setObjectName(QStringLiteral("CmdHelp"));
    m.CmdRecent.setObjectName(QStringLiteral("CmdRecent"));
    m.CmdZoom.setObjectName(QStringLiteral("CmdZoom"));

    // Until a report is shown there is nothing to save, set up or print.
    m.CmdSaveAs.setEnabled(false);
    m.CmdPageSetup.setEnabled(false);
    m.CmdPrint.setEnabled(false);
    m.CmdReload.setEnabled(false);
    m.CmdCompareWith.setEnabled(false);
    m.CmdComparePresets.setEnabled(false);
}

int TFormMain::Tag(const QAction& item) {
    return item.data().toInt();
}

void TFormMain::SetForms(TFormMIDI& midi, TFormAbout& about, TFormSplash& splash) {
    FormMIDI = &midi;
    FormAbout = &about;
    FormSplash = &splash;
    MidiDevices = std::make_unique<TMidiDevices>(midi, MidiPorts);
    MidiDevices->Startup();
}

void TFormMain::FormCreate() {
    const std::optional<QRect> area = WorkArea ? WorkArea() : std::nullopt;
    if (const auto stored = LoadWindowSettings({x(), y(), width(), height()})) {
        const TWindowBounds bounds = ClampStoredBounds(stored->Bounds, area);
        resize(bounds.Width, bounds.Height);
        move(bounds.Left, bounds.Top);
        Columns = stored->ColumnCount;
    } else if (area) {
        // First run: the design size at the centre of the desktop.
        move(CentredPosition(size(), *area));
    }
    for (QAction* item : Items) {
        if (Tag(*item) == Columns) {
            item->setChecked(true);
            break;
        }
    }
    const TViewSettings view = LoadViewSettings();
    SetZoom(view.Zoom);
    Recent.Set(view.RecentFiles);
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
    if (FormSplash != nullptr) {
        StayAbove(*FormSplash, *this);
        Dialogs.RunModal(*FormSplash);
    }
    if (!CommandLineFile.empty()) {
        OpenPresetFile(CommandLineFile);
    }
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
    SaveViewSettings({Zoom, Recent.Files()});
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
        document = ReportSource->Build(fileName, Columns);
        written = WriteReportFile(ReportFile, document);
    }
    if (!written) {
        // The view shows the report file only: without it, the user has to know.
        Dialogs.ShowMessage(
            TMessageKind::Error, QStringLiteral("Error"),
            ReportFile.empty()
                ? QStringLiteral("The report cannot be shown: no private folder for it could "
                                 "be made (%1).")
                      .arg(FromMessageText(ReportFolderProblem))
                : QStringLiteral("The report cannot be shown: %1 cannot be written.")
                      .arg(FromFileNameBytes(ReportFile)));
    }
    PresetBrowser->Navigate(FromFileNameBytes(ReportFile), scroll);
    Watch.Watch(FromFileNameBytes(fileName));
    MainMenu.CmdReload.setEnabled(!fileName.empty());
    MainMenu.CmdPageSetup.setEnabled(true);
    MainMenu.CmdSaveAs.setEnabled(true);
    MainMenu.CmdSelectAll.setEnabled(true);
    MainMenu.CmdPrint.setEnabled(true);
    MainMenu.CmdCompareWith.setEnabled(true);
    MainMenu.CmdComparePresets.setEnabled(true);
    StatusLine.setText(fileName.empty()
                           ? QString()
                           : LoadStatusText(FromFileNameBytes(fileName),
                                            ReportSource->LastSummary(), Notices.WarningCount()));
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
    if (!CurrentFile.empty()) {
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
void TFormMain::CmdPageSetupClick() {
    PresetBrowser->PageSetup();
}
void TFormMain::CmdPrintClick() {
    PresetBrowser->Print();
}
void TFormMain::CmdExitClick() {
    close();
}
void TFormMain::CmdCopyClick() {
    PresetBrowser->Copy();
}
void TFormMain::CmdSelectAllClick() {
    PresetBrowser->SelectAll();
}
void TFormMain::CmdFindClick() {
    Finder.Open();
}
void TFormMain::CmdZoomInClick() {
    SetZoom(NextZoom(Zoom, +1));
}
void TFormMain::CmdZoomOutClick() {
    SetZoom(NextZoom(Zoom, -1));
}
void TFormMain::CmdActualSizeClick() {
    SetZoom(NormalZoom);
}

void TFormMain::SetZoom(int32_t percent) {
    Zoom = percent;
    PresetBrowser->SetZoom(percent / 100.0);
}

void TFormMain::CmdColClick() {
    auto* item = qobject_cast<QAction*>(sender());
    if (item == nullptr) {
        return;
    }
    Columns = Tag(*item);
    item->setChecked(true);
    LoadPresetFile(CurrentFile);
}

void TFormMain::CmdContentsClick() {
    if (!Help) {
        Help = std::make_unique<THelpWindow>();
    }
    Help->ShowContents();
}

void TFormMain::CmdAboutClick() {
    if (FormAbout != nullptr) {
        CentreOver(*FormAbout, *this);
        StayAbove(*FormAbout, *this);
        Dialogs.RunModal(*FormAbout);
    }
}

void TFormMain::CmdCompareWithClick() {
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
        hooks.Show = [this](const std::string& fileName) { LoadPresetFile(fileName); };
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
    Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Error"), FromMessageText(text));
}

void TFormMain::ShowWarning(const std::string& text) {
    Dialogs.ShowMessage(TMessageKind::Warning, QStringLiteral("Warning"), FromMessageText(text));
}

} // namespace qvr
