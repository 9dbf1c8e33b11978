#include "app/Main.h"

#include "app/About.h"
#include "app/AnsiText.h"
#include "app/Disclaim.h"
#include "app/ExceptionDisplay.h"
#include "app/HelpWindow.h"
#include "app/MIDIConfig.h"
#include "app/Placement.h"
#include "app/ProgramIcon.h"
#include "app/ReportFile.h"
#include "platform/Regaccess.h"
#include "report/PresetReport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
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

} // namespace

std::optional<QRect> PrimaryWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return screen->availableGeometry();
}

TFormMain::TFormMain(TFormMainServices services)
    : CmdFile(QStringLiteral("&File"), this), CmdOpen(QStringLiteral("&Open..."), this),
      CmdSaveAs(QStringLiteral("Save &As..."), this),
      CmdPageSetup(QStringLiteral("Page &Setup..."), this),
      CmdPrint(QStringLiteral("&Print..."), this), CmdExit(QStringLiteral("E&xit"), this),
      CmdEdit(QStringLiteral("&Edit"), this), CmdCopy(QStringLiteral("&Copy"), this),
      CmdSelectAll(QStringLiteral("Select &All"), this),
      CmdOptions(QStringLiteral("&Options"), this),
      CmdColumnCount(QStringLiteral("&Column Count"), this), ColumnItems(this),
      Cmd1Col(QStringLiteral("1"), this), Cmd2Col(QStringLiteral("2"), this),
      Cmd3Col(QStringLiteral("3"), this), Cmd4Col(QStringLiteral("4"), this),
      CmdHelp(QStringLiteral("&Help"), this), CmdContents(QStringLiteral("Contents"), this),
      CmdAbout(QStringLiteral("About..."), this), Dialogs(*services.Dialogs),
      WorkArea(std::move(services.WorkArea)), ProgramFolder(std::move(services.ProgramFolder)),
      MainPanel(this), MainLayout(&MainPanel), PresetBrowser(std::move(services.ReportView)),
      DropFilter([this](const QString& path) { OpenDroppedFile(path); }) {
    ColumnCount = TPresetReport::DefaultColumnCount;
    ReportSource = services.MakeReportSource(*this);

    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(250, 100);
    resize(736, 456);
    move(523, 214);

    MainPanel.setObjectName(QStringLiteral("MainPanel"));
    MainLayout.setContentsMargins(12, 12, 12, 12);
    MainLayout.addWidget(&PresetBrowser->Widget());
    setCentralWidget(&MainPanel);

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
    CmdFile.setObjectName(QStringLiteral("CmdFile"));
    menuBar()->addMenu(&CmdFile);
    AddItem(CmdFile, CmdOpen, 0, &TFormMain::CmdOpenClick);
    AddItem(CmdFile, CmdSaveAs, 0, &TFormMain::CmdSaveAsClick);
    AddItem(CmdFile, CmdPageSetup, 0, &TFormMain::CmdPageSetupClick);
    AddItem(CmdFile, CmdPrint, 0, &TFormMain::CmdPrintClick);
    CmdFile.addSeparator();
    AddItem(CmdFile, CmdExit, 0, &TFormMain::CmdExitClick);

    menuBar()->addMenu(&CmdEdit);
    AddItem(CmdEdit, CmdCopy, 0, &TFormMain::CmdCopyClick);
    AddItem(CmdEdit, CmdSelectAll, 0, &TFormMain::CmdSelectAllClick);
    CmdCopy.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CmdSelectAll.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    menuBar()->addMenu(&CmdOptions);
    CmdOptions.addMenu(&CmdColumnCount);
    ColumnItems.setExclusive(true);
    int tag = 1;
    for (QAction* item : {&Cmd1Col, &Cmd2Col, &Cmd3Col, &Cmd4Col}) {
        item->setCheckable(true);
        ColumnItems.addAction(item);
        AddItem(CmdColumnCount, *item, tag++, &TFormMain::CmdColClick);
    }
    Cmd4Col.setChecked(true);

    menuBar()->addMenu(&CmdHelp);
    AddItem(CmdHelp, CmdContents, 0, &TFormMain::CmdContentsClick);
    AddItem(CmdHelp, CmdAbout, 0, &TFormMain::CmdAboutClick);
    CmdContents.setShortcut(QKeySequence(Qt::Key_F1));

    const std::pair<QAction*, const char*> names[] = {
        {&CmdOpen, "CmdOpen"},           {&CmdSaveAs, "CmdSaveAs"}, {&CmdPageSetup, "CmdPageSetup"},
        {&CmdPrint, "CmdPrint"},         {&CmdExit, "CmdExit"},     {&CmdCopy, "CmdCopy"},
        {&CmdSelectAll, "CmdSelectAll"}, {&Cmd1Col, "Cmd1Col"},     {&Cmd2Col, "Cmd2Col"},
        {&Cmd3Col, "Cmd3Col"},           {&Cmd4Col, "Cmd4Col"},     {&CmdContents, "CmdContents"},
        {&CmdAbout, "CmdAbout"}};
    for (const auto& [item, name] : names) {
        item->setObjectName(QString::fromLatin1(name));
    }
    CmdEdit.setObjectName(QStringLiteral("CmdEdit"));
    CmdOptions.setObjectName(QStringLiteral("CmdOptions"));
    CmdColumnCount.setObjectName(QStringLiteral("CmdColumnCount"));
    CmdHelp.setObjectName(QStringLiteral("CmdHelp"));

    // Until a report is shown there is nothing to save, set up or print.
    CmdSaveAs.setEnabled(false);
    CmdPageSetup.setEnabled(false);
    CmdPrint.setEnabled(false);
}

int TFormMain::Tag(const QAction& item) {
    return item.data().toInt();
}

void TFormMain::SetForms(TFormMIDI& midi, TFormAbout& about, TFormSplash& splash) {
    FormMIDI = &midi;
    FormAbout = &about;
    FormSplash = &splash;
}

void TFormMain::FormCreate() {
    {
        TRegAccess reg;
        reg.SetRootKey(TRegRoot::CurrentUser);
        if (reg.OpenKey(SettingsKey, false)) {
            TWindowBounds bounds;
            bounds.Width = reg.ReadIntegerDefault(MainWidthName, width());
            bounds.Height = reg.ReadIntegerDefault(MainHeightName, height());
            bounds.Left = reg.ReadIntegerDefault(MainLeftName, x());
            bounds.Top = reg.ReadIntegerDefault(MainTopName, y());
            bounds = ClampStoredBounds(bounds, WorkArea ? WorkArea() : std::nullopt);
            resize(bounds.Width, bounds.Height);
            move(bounds.Left, bounds.Top);
            ColumnCount = reg.ReadIntegerDefault(ColCountName, TPresetReport::DefaultColumnCount);
            if (ColumnCount <= 0 || ColumnCount > TPresetReport::MaxColumnCount) {
                ColumnCount = TPresetReport::DefaultColumnCount;
            }
            reg.CloseKey();
        } else if (const auto area = WorkArea ? WorkArea() : std::nullopt) {
            // First run: the design size at the centre of the desktop.
            move(CentredPosition(size(), *area));
        }
    }
    for (QAction* item : Items) {
        if (Tag(*item) == ColumnCount) {
            item->setChecked(true);
            break;
        }
    }
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
    ReportFileName = ReportFilePath(ProgramFolder);
    setWindowTitle(QString::fromLatin1(MainWindowCaption));
    if (FormSplash != nullptr) {
        StayAbove(*FormSplash, *this);
        Dialogs.RunModal(*FormSplash);
    }
    if (!CommandLineFile.empty()) {
        LoadPresetFile(CommandLineFile);
    }
}

void TFormMain::closeEvent(QCloseEvent* event) {
    Guarded([this] { FormClose(); });
    if (Help) {
        Help->close();
    }
    event->accept();
}

void TFormMain::FormClose() {
    if (!ReportFileName.empty()) {
        QFile::remove(FromFileNameBytes(ReportFileName));
    }
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (reg.OpenKey(SettingsKey, true)) {
        reg.WriteInteger(MainWidthName, width());
        reg.WriteInteger(MainHeightName, height());
        reg.WriteInteger(MainLeftName, x());
        reg.WriteInteger(MainTopName, y());
        reg.WriteInteger(ColCountName, ColumnCount);
        reg.CloseKey();
    }
}

void TFormMain::LoadPresetFile(const std::string& fileName) {
    CurrentFileName = fileName;
    std::string document;
    {
        TWaitCursor wait;
        document = ReportSource->Build(fileName, ColumnCount);
        // A report file that cannot be written is not reported: the view is sent
        // to it all the same and shows whatever is there.
        WriteReportFile(ReportFileName, document);
    }
    PresetBrowser->Navigate(FromFileNameBytes(ReportFileName));
    CmdPageSetup.setEnabled(true);
    CmdSaveAs.setEnabled(true);
    CmdSelectAll.setEnabled(true);
    CmdPrint.setEnabled(true);
}

void TFormMain::CmdOpenClick() {
    {
        TRegAccess reg;
        reg.SetRootKey(TRegRoot::CurrentUser);
        if (reg.OpenKey(SettingsKey, false)) {
            FileOpenDlg.FilterIndex = reg.ReadIntegerDefault("OpenFilterIndex", 1);
            FileOpenDlg.InitialDir = FromFileNameBytes(reg.ReadStringDefault("InitialDir", ""));
            reg.CloseKey();
        }
    }
    if (!Dialogs.RunOpenDialog(*this, FileOpenDlg)) {
        return;
    }
    const QString chosen = QFileInfo(FileOpenDlg.FileName).absoluteFilePath();
    {
        TRegAccess reg;
        reg.SetRootKey(TRegRoot::CurrentUser);
        if (reg.OpenKey(SettingsKey, true)) {
            reg.WriteInteger("OpenFilterIndex", FileOpenDlg.FilterIndex);
            reg.WriteString("InitialDir", ToFileNameBytes(FolderWithSeparator(chosen)));
            reg.CloseKey();
        }
    }
    LoadPresetFile(ToFileNameBytes(chosen));
}

void TFormMain::OpenDroppedFile(const QString& path) {
    // A dropped file opens as Open would, but leaves the settings alone.
    Guarded([&] { LoadPresetFile(ToFileNameBytes(QFileInfo(path).absoluteFilePath())); });
}

void TFormMain::CmdSaveAsClick() {
    PresetBrowser->SaveAs();
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

void TFormMain::CmdColClick() {
    auto* item = qobject_cast<QAction*>(sender());
    if (item == nullptr) {
        return;
    }
    ColumnCount = Tag(*item);
    item->setChecked(true);
    LoadPresetFile(CurrentFileName);
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

void TFormMain::CmdMIDIClick() {
    if (FormMIDI != nullptr) {
        CentreOver(*FormMIDI, *this);
        StayAbove(*FormMIDI, *this);
        Dialogs.RunModal(*FormMIDI);
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
    Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Error"), FromMessageText(text));
}

void TFormMain::ShowWarning(const std::string& text) {
    Dialogs.ShowMessage(TMessageKind::Warning, QStringLiteral("Warning"), FromMessageText(text));
}

} // namespace qvr
