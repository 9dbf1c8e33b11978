// The main window's first show, its commands and its close, over recording stand-ins.

#include "app/common/ViewerSettings.h"
#include "app/device/MIDIConfig.h"
#include "app/edit/PresetEditDialog.h"
#include "app/library/LibraryFolders.h"
#include "app/library/LibraryFoldersDialog.h"
#include "app/report/FileWatch.h"
#include "app/report/FindBar.h"
#include "app/report/ReportDocument.h"
#include "app/shell/About.h"
#include "app/shell/Disclaim.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/Main.h"
#include "app/shell/OpenFilters.h"
#include "librarian/Dump.h"
#include "platform/Regaccess.h"
#include "tests/app/QtTestRegistry.h"
#include "tests/app/Recorders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace qvr::test {

namespace {

std::string ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return "<missing>";
    }
    return file.readAll().toStdString();
}

// Creates the window and hands it its three dialogs; the MIDI dialog.
TFormMIDI& SetForms(TWindowFixture& f, const std::string& reportFolder = "",
                    size_t partBytes = ReportPartBytes) {
    f.ReportFolder = reportFolder;
    f.PartBytes = partBytes;
    auto midi = std::make_unique<TFormMIDI>();
    TFormMIDI& shown = *midi;
    f.Create().SetForms(std::move(midi), std::make_unique<TFormAbout>(),
                        std::make_unique<TFormSplash>());
    return shown;
}

// The window with its three dialogs, shown once (FormShow run by hand).
struct TShownWindow {
    TWindowFixture F;
    TFormMain* Window = nullptr;
    TFormMIDI& Midi;

    explicit TShownWindow(const std::string& commandLineFile = "",
                          const std::string& reportFolder = "", size_t partBytes = ReportPartBytes)
        : Midi(SetForms(F, reportFolder, partBytes)) {
        Window = F.Window.get();
        Window->SetCommandLineFile(commandLineFile);
        Window->FormShow();
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void MenuIsAsDesigned() {
        TWindowFixture f;
        TFormMain& w = f.Create();
        QStringList menus;
        for (QAction* menu : w.menuBar()->actions()) {
            menus << menu->text();
        }
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Options", "&Help"}));

        // Each command found by its object name: its caption, keys, state before any file and
        // tag (the column items carry their count).
        struct TItem {
            const char* Name;
            const char* Caption;
            QKeySequence Shortcut;
            bool Enabled;
            int Tag;
        };
        const TItem items[] = {
            {"CmdOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), true, 0},
            {"CmdSaveAs", "Save &As...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), false, 0},
            {"CmdPrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P), false, 0},
            {"CmdReload", "&Reload", QKeySequence(Qt::Key_F5), false, 0},
            {"CmdCompareWith", "Compare &With...", {}, false, 0},
            {"CmdReceive", "Recei&ve from Device...", {}, true, 0},
            {"CmdExit", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q), true, 0},
            {"CmdFind", "&Find...", QKeySequence(Qt::CTRL | Qt::Key_F), true, 0},
            {"CmdGoToPreset", "&Go to Preset...", QKeySequence(Qt::CTRL | Qt::Key_G), false, 0},
            {"CmdNextPart", "&Next Part", QKeySequence(Qt::CTRL | Qt::Key_PageDown), false, 0},
            {"CmdPreviousPart", "Pre&vious Part", QKeySequence(Qt::CTRL | Qt::Key_PageUp), false,
             0},
            {"Cmd1Col", "&1", {}, true, 1},
            {"Cmd4Col", "&4", {}, true, 4},
            {"CmdLibraryFolders", "Library &Folders...", {}, true, 0},
            {"CmdZoomIn", "Zoom &In", QKeySequence(Qt::CTRL | Qt::Key_Plus), true, 0},
            {"CmdContents", "&Contents", QKeySequence(Qt::Key_F1), true, 0},
            {"CmdAbout", "&About...", {}, true, 0},
        };
        for (const TItem& expected : items) {
            const QAction& item = w.Command(expected.Name);
            QCOMPARE(item.text(), QString::fromLatin1(expected.Caption));
            QCOMPARE(item.shortcut(), expected.Shortcut);
            QVERIFY2(item.isEnabled() == expected.Enabled, expected.Name);
            QCOMPARE(TFormMain::Tag(item), expected.Tag);
        }
        // Every item and menu of the bar has an object name of its own and an access key that no
        // other item of its menu has.
        std::function<void(QMenu&)> check = [&](QMenu& menu) {
            QSet<QChar> keys;
            for (QAction* item : menu.actions()) {
                if (item->isSeparator() || !item->isVisible()) {
                    continue;
                }
                const QString text = item->text();
                const qsizetype amp = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
                QVERIFY2(amp >= 0, qPrintable(text));
                const QChar key = text.at(amp + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(menu.title() + ": " + text));
                keys.insert(key);
                if (item->menu() != nullptr) {
                    check(*item->menu());
                } else {
                    QVERIFY2(!item->objectName().isEmpty(), qPrintable(text));
                }
            }
        };
        QSet<QString> names;
        for (QAction* item : w.MenuItems()) {
            QVERIFY2(!names.contains(item->objectName()), qPrintable(item->objectName()));
            names.insert(item->objectName());
        }
        for (QAction* menu : w.menuBar()->actions()) {
            check(*menu->menu());
        }
        QStringList file;
        for (QAction* a : w.Menu("CmdFile").actions()) {
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(file,
                 (QStringList{"&Open...", "Save &As...", "Page &Setup...", "&Print...", "&Reload",
                              "Recen&t Files", "Compare &With...", "Recei&ve from Device...",
                              "Sen&d to Device...", "Save Pres&et As...",
                              "Send Preset to Devi&ce...", "-", "E&xit"}));
        QVERIFY(!w.Menu("CmdRecent").isEnabled()); // nothing opened yet
        QStringList options;
        for (QAction* a : w.Menu("CmdOptions").actions()) {
            options << a->text();
        }
        QCOMPARE(options, (QStringList{"&Column Count", "&MIDI Devices...", "&Presets Panel",
                                       "&Library Panel", "Library &Folders...", "&Zoom"}));
        QCOMPARE(w.Menu("CmdColumnCount").actions().size(), 4);
        // A column item chosen is the only one ticked, even when it was ticked already.
        w.Command("Cmd2Col").trigger();
        w.Command("Cmd2Col").trigger();
        for (QAction* item : w.Menu("CmdColumnCount").actions()) {
            QCOMPARE(item->isChecked(), item->objectName() == QStringLiteral("Cmd2Col"));
        }
    }

    // Options > Library Folders adds the examples' folder and the library is brought up to
    // date in the background; a query typed in the library panel lists what it finds, and
    // choosing a preset opens its file at that preset.
    void LibraryFindsAndOpensAPreset() {
        TWindowFixture f;
        f.LibraryDatabase = f.FolderPath() + "data/library.sqlite";
        TRegAccess reg; // the bundled configurations stand in for the editor's
        reg.SetRootKey(TRegRoot::LocalMachine);
        QVERIFY(reg.OpenKey("Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE",
                            true));
        reg.WriteString("Path", QVR_EXAMPLES_DIR "/config/");
        reg.CloseKey();
        // The list an earlier viewer kept in its settings moves into the library, once, and
        // the dialog adds to it.
        const std::string config = std::filesystem::canonical(QVR_EXAMPLES_DIR "/config").string();
        {
            TRegAccess user;
            user.SetRootKey(TRegRoot::CurrentUser);
            QVERIFY(user.OpenKey(SettingsKey, true));
            user.WriteInteger(LibraryFolderCountName, 1);
            user.WriteString("LibraryFolder1", config);
        }
        TFormMain& w = f.Create();
        TLibraryPart& library = w.Library();
        const QString presets = QStringLiteral(QVR_EXAMPLES_DIR "/presets");
        library.ChooseFolder = [&](QWidget&) { return presets; };
        f.Dialogs.OnModal = [](QDialog& dialog) {
            auto& folders = dynamic_cast<TLibraryFoldersDialog&>(dialog);
            folders.AddButton.click();
            folders.AddButton.click(); // listed once
            folders.accept();
        };
        library.FoldersItem.trigger();
        QCOMPARE(ReadIntSetting(LibraryFolderCountName), 0);
        QTRY_COMPARE_WITH_TIMEOUT(w.statusBar()->currentMessage(),
                                  QStringLiteral("Library up to date: 10 files read, 10 in it"),
                                  120000);
        QCOMPARE(LibraryFoldersOf(f.LibraryDatabase),
                 (std::vector<std::string>{config, presets.toStdString()}));

        library.PanelItem.trigger();
        QVERIFY(library.Panel.isVisibleTo(&w));
        QTest::keyClicks(&library.Panel.Query, "\"Dual 3\" model:QVR-1");
        QTRY_COMPARE(library.Panel.Status.text(), QStringLiteral("1 preset found"));
        QListWidgetItem* found = library.Panel.Results.item(0);
        QCOMPARE(found->text(), QStringLiteral("#11 Dual <3>  QVR-1\n") + presets +
                                    QStringLiteral("/backup.q1a:11"));
        emit library.Panel.Results.itemActivated(found);
        QCOMPARE(w.CurrentFileName(), presets.toStdString() + "/backup.q1a");
        QCOMPARE(f.View->ShownPresets, std::vector<int>{10});
        // Modules before the file's first header are the library's first preset, above the
        // report's first heading.
        f.Source->During = [&](IUserNotifier&) { f.Source->WithoutHeading = 1; };
        emit library.Panel.Results.itemActivated(found);
        QCOMPARE(f.View->ShownPresets, (std::vector<int>{10, 9}));

        QTest::keyClicks(&library.Panel.Query, " Rate>x");
        QTRY_COMPARE(library.Panel.Status.text(), QStringLiteral("'x' is not a number: x"));
        QCOMPARE(library.Panel.Results.count(), 0);
        // The search's own refusal comes back from its thread; then a broad query lists all
        // it finds with their number.
        library.Panel.Query.clear();
        QTest::keyClicks(&library.Panel.Query, "lead &&");
        QTRY_COMPARE(library.Panel.Status.text(),
                     QStringLiteral("'&&' has no letters or digits to look for: &&"));
        library.Panel.Query.clear();
        QTest::keyClicks(&library.Panel.Query, "model:QVR-1 Volume >= 0");
        QTRY_COMPARE(library.Panel.Status.text(), QStringLiteral("13 presets found"));
        QCOMPARE(library.Panel.Results.count(), 13);

        // An older copy of the backup in another folder: the chosen preset's history lists
        // both versions, oldest first, and Compare opens the comparison of the two.
        const std::string older = f.FolderPath() + "older";
        std::filesystem::create_directories(older);
        std::filesystem::copy_file(presets.toStdString() + "/backup.q1a", older + "/backup.q1a");
        std::filesystem::last_write_time(
            older + "/backup.q1a",
            std::filesystem::last_write_time(presets.toStdString() + "/backup.q1a") -
                std::chrono::hours(24));
        library.StartUpdate({older});
        QTRY_COMPARE_WITH_TIMEOUT(w.statusBar()->currentMessage(),
                                  QStringLiteral("Library up to date: 1 files read, 11 in it"),
                                  120000);
        library.Panel.Query.clear();
        QTest::keyClicks(&library.Panel.Query, "\"Dual 3\" model:QVR-1");
        QTRY_COMPARE(library.Panel.Status.text(), QStringLiteral("2 presets found"));
        QVERIFY(!library.Panel.CompareButton.isEnabled());
        library.Panel.Results.setCurrentRow(0);
        QTRY_COMPARE(library.Panel.History.count(), 2);
        const QString copy = QString::fromStdString(older) + QStringLiteral("/backup.q1a:11");
        QCOMPARE(library.Panel.History.item(0)->text(),
                 QStringLiteral("#11 Dual <3>  (first)\n") + copy);
        QCOMPARE(library.Panel.History.item(1)->text(),
                 QStringLiteral("#11 Dual <3>  (unchanged)\n") + presets +
                     QStringLiteral("/backup.q1a:11"));
        // The versions go to the comparison older first, each as its place in its file (the
        // window itself needs a web engine, which the tests do without).
        std::vector<std::pair<TCompareSide, TCompareSide>> compared;
        library.Panel.CompareVersions = [&](const TCompareSide& old, const TCompareSide& now) {
            compared.emplace_back(old, now);
        };
        library.Panel.History.item(1)->setSelected(true);
        QVERIFY(!library.Panel.CompareButton.isEnabled());
        library.Panel.History.item(0)->setSelected(true);
        QVERIFY(library.Panel.CompareButton.isEnabled());
        library.Panel.CompareButton.click();
        emit library.Panel.History.itemActivated(library.Panel.History.item(1));
        emit library.Panel.History.itemActivated(library.Panel.History.item(0)); // none before
        QCOMPARE(compared.size(), size_t{2});
        for (const auto& [old, now] : compared) {
            QCOMPARE(old.File, older + "/backup.q1a");
            QCOMPARE(now.File, presets.toStdString() + "/backup.q1a");
            QCOMPARE(old.Position, std::optional<size_t>(10));
            QCOMPARE(now.Position, std::optional<size_t>(10));
        }
        // The other copy chosen: the history asked again (the same versions), nothing selected.
        library.Panel.Results.setCurrentRow(1);
        QCOMPARE(library.Panel.History.count(), 0);
        QVERIFY(!library.Panel.CompareButton.isEnabled());
        QTRY_COMPARE(library.Panel.History.count(), 2);
        QCOMPARE(library.Panel.History.item(0)->text(),
                 QStringLiteral("#11 Dual <3>  (first)\n") + copy);
        QVERIFY(library.Panel.History.selectedItems().isEmpty());

        w.FormClose(); // the panel is shown again at the next start
        QCOMPARE(ReadIntSetting(LibraryPanelName), 1);
        QVERIFY(!f.Create().Library().Panel.isHidden());
    }

    void OpenDialogFilters() {
        const QStringList filters = qvr::OpenDialogFilters();
        QCOMPARE(filters.size(), 11);
        QCOMPARE(filters.at(7), QStringLiteral("KDT-3 Backup (*.k3a)"));
        QCOMPARE(filters.at(10), QStringLiteral("All Files (*.*)"));
        QCOMPARE(QString::fromLatin1(OpenDialogTitle), QStringLiteral("Open Oktrel patch file"));
    }

    void FirstShowShowsTheNoticeThenLoadsTheCommandLineFile() {
        TWindowFixture probe; // only for its folder
        const std::string file = probe.MakeFile("live.q3a");
        TShownWindow s(file);
        QCOMPARE(s.Window->windowTitle(), QStringLiteral("Oktrel(tm) Preset Viewer"));
        QCOMPARE(s.Window->ReportFileName(), s.F.FolderPath() + "__tmp__.html");
        QCOMPARE(s.F.Log, (TCallLog{"modal FormSplash", "build " + file, "view Navigate"}));
        QCOMPARE(s.F.View->ShownFile, QString::fromStdString(s.Window->ReportFileName()));
        QCOMPARE(ReadAll(s.Window->ReportFileName()), s.F.Source->Document);
    }

    // "qvrviewer -": what came on standard input is the report of "standard input", kept in
    // memory for a reload; it is no file to watch or to remember.
    void FirstShowShowsStandardInputFromMemory() {
        TWindowFixture f;
        SetForms(f, "");
        f.Window->SetCommandLineInput("bytes of a backup");
        f.Window->FormShow();
        QCOMPARE(f.Log, (TCallLog{"modal FormSplash", "build -", "view Navigate"}));
        QCOMPARE(f.Source->StandardInput, std::string("bytes of a backup"));
        QCOMPARE(f.Window->StatusText(),
                 QStringLiteral("standard input \u2014 QVR-3 \u2014 24 presets \u2014 0 warnings"));
        QVERIFY(f.Dialogs.Messages.empty());
        QVERIFY(f.Window->RecentFiles().Files().empty());
        // What reads the file again by name has nothing to read.
        QVERIFY(!f.Window->Command("CmdSendToDevice").isEnabled());
        QVERIFY(!f.Window->Command("CmdCompareWith").isEnabled());
        f.Window->Command("CmdReload").trigger();
        QCOMPARE(f.Source->Calls.size(), size_t{2});
        QVERIFY(f.Dialogs.Messages.empty());
    }

    void FirstShowWithoutAFileLoadsNothing() {
        TShownWindow s;
        QCOMPARE(s.F.Log, (TCallLog{"modal FormSplash"}));
        QVERIFY(!s.Window->Command("CmdSaveAs").isEnabled());
        QVERIFY(!QFile::exists(QString::fromStdString(s.Window->ReportFileName())));
    }

    // The chooser of Compare With opens on the kind of the open file (all files for a kind no
    // model has).
    void CompareWithOffersTheOpenFilesKind() {
        for (const char* name : {"a.q3a", "b.Q1P", "c.bin"}) {
            TShownWindow s;
            s.Window->LoadPresetFile(s.F.MakeFile(name));
            s.F.Dialogs.OpenAccepts = false;
            s.Window->Command("CmdCompareWith").trigger();
            QCOMPARE(s.F.Dialogs.OpenDialogInputs.size(), size_t(1));
            const QString filter =
                qvr::OpenDialogFilters().value(s.F.Dialogs.OpenDialogInputs[0].FilterIndex - 1);
            const QString suffix = QFileInfo(QString::fromLatin1(name)).suffix().toLower();
            QVERIFY2(filter.endsWith(suffix == "bin" ? QStringLiteral("(*.*)")
                                                     : QStringLiteral("(*.%1)").arg(suffix)),
                     qPrintable(filter));
        }
    }

    void LoadEnablesTheReportCommands() {
        TShownWindow s;
        // A column item before any file shows the empty report: nothing to compare or reload.
        s.Window->Command("Cmd4Col").trigger();
        QVERIFY(s.Window->Command("CmdSaveAs").isEnabled());
        QVERIFY(!s.Window->Command("CmdCompareWith").isEnabled());
        QVERIFY(!s.Window->Command("CmdComparePresets").isEnabled());
        QVERIFY(!s.Window->Command("CmdReload").isEnabled());
        s.Window->Command("CmdSelectAll").setEnabled(false);
        s.F.Source->Presets = {{1, "One"}};
        const std::string file = s.F.MakeFile("a.q1p");
        s.Window->LoadPresetFile(file);
        // All but the part commands: the report is shown in one part.
        for (QAction* item : s.Window->MenuItems()) {
            const bool part = item->objectName().endsWith(QStringLiteral("Part"));
            QVERIFY2(item->isEnabled() != part, qPrintable(item->objectName()));
        }
        QCOMPARE(s.Window->CurrentFileName(), file);
        QCOMPARE(s.F.Source->Calls.back().ColumnCount, 4);
    }

    // The presets panel lists the file's presets; a click, Enter in the filter box or Go to
    // Preset shows one; the panel's place is kept in the settings store.
    // Edit > Edit Preset edits the preset chosen in the presets panel, read from the open file;
    // a save over the open file shows it again.
    void EditPresetEditsTheChosenPresetAndShowsASaveOverTheFile() {
        TShownWindow s;
        std::ifstream in(std::string(QVR_EXAMPLES_DIR) + "/presets/showcase.q3p", std::ios::binary);
        const std::string file =
            s.F.MakeFile("edit.q3p", std::string(std::istreambuf_iterator<char>(in), {}));
        s.F.Source->Presets = {{1, "Showcase"}};
        s.Window->LoadPresetFile(file);
        s.Window->PresetsPanel().List.setCurrentRow(0);
        const size_t builds = s.F.Source->Calls.size();
        s.F.Dialogs.OnModal = [&file](QDialog& dialog) {
            auto& editor = dynamic_cast<TPresetEditDialog&>(dialog);
            editor.NameEdit.setText(QStringLiteral("Edited"));
            emit editor.NameEdit.editingFinished();
            QVERIFY(editor.SaveTo(QString::fromStdString(file)));
            // Send to Device hands the edited preset to the sender.
            QVERIFY(!editor.SendButton.isHidden());
            editor.SendButton.click();
        };
        s.Window->Command("CmdEditPreset").trigger();
        const auto logged = [&s](const std::string& entry) {
            return std::find(s.F.Log.begin(), s.F.Log.end(), entry) != s.F.Log.end();
        };
        QVERIFY(logged("modal EditPreset"));
        // The edited preset made a plan to send; with no output chosen, the sender says so.
        QVERIFY(logged("message Send to Device"));
        QVERIFY(s.F.Dialogs.Messages.back().Text.contains(QStringLiteral("MIDI output")));
        std::ifstream back(file, std::ios::binary);
        const TDump edited = ReadDump(std::string(std::istreambuf_iterator<char>(back), {}));
        QCOMPARE(edited.Presets.at(0).Header.Name, std::string("Edited"));
        QCOMPARE(s.F.Source->Calls.size(), builds + 1);
    }

    void PresetsPanelAndGoToPresetShowAPreset() {
        TShownWindow s;
        s.F.Source->Presets = {
            {1, "Clean"}, {12, "Lead 12"}, {std::nullopt, "Loose"}, {13, "Lead"}};
        s.Window->LoadPresetFile(s.F.MakeFile("b.q3a"));
        TPresetsPanel& panel = s.Window->PresetsPanel();
        QStringList listed;
        for (int row = 0; row < panel.List.count(); ++row) {
            listed << panel.List.item(row)->text();
        }
        QCOMPARE(listed, (QStringList{"#01  Clean", "#12  Lead 12", "Loose", "#13  Lead"}));
        panel.List.itemClicked(panel.List.item(2));
        QTest::keyClicks(&panel.Filter, QStringLiteral("lead"));
        QVERIFY(panel.List.item(0)->isHidden() && !panel.List.item(3)->isHidden());
        QTest::keyClick(&panel.Filter, Qt::Key_Return);
        struct TGoTo {
            std::optional<int> Number;
            std::vector<int> Shown; // the positions shown so far
            size_t Messages;
        };
        const TGoTo steps[] = {{13, {2, 1, 3}, 0}, {std::nullopt, {2, 1, 3}, 0}, {7, {2, 1, 3}, 1}};
        for (const TGoTo& step : steps) {
            s.F.Dialogs.NumberAnswer = step.Number;
            s.Window->Command("CmdGoToPreset").trigger();
            QCOMPARE(s.F.View->ShownPresets, step.Shown);
            QCOMPARE(s.F.Dialogs.Messages.size(), step.Messages);
        }
        QCOMPARE(s.F.Dialogs.Messages[0].Text,
                 QStringLiteral("There is no preset #7 in this file."));

        QVERIFY(!panel.isHidden());
        s.Window->Command("CmdPresetsPanel").trigger();
        QVERIFY(panel.isHidden());
        s.Window->FormClose();
        QCOMPARE(ReadIntSetting("PresetsPanel"), std::optional<int32_t>(0));
        QVERIFY(s.F.Create().PresetsPanel().isHidden());
    }

    // Without its file the report is shown from memory, with Save As and Print off; one too
    // large for that is not shown, and the status line says so.
    void AReportFileThatCannotBeWrittenIsShownFromMemory() {
        QTemporaryDir gone;
        const std::string report = gone.path().toStdString() + "/__tmp__.html";
        TShownWindow s("", gone.path().toStdString() + "/");
        QCOMPARE(s.Window->ReportFileName(), report);
        gone.remove(); // the folder goes after the window has chosen its report file
        s.F.Log.clear();
        s.F.Source->Presets = {{1, "One"}};
        s.Window->LoadPresetFile(s.F.MakeFile("d.q3a"));
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t{1});
        QCOMPARE(s.F.Dialogs.Messages.back().Text,
                 QStringLiteral("The report is shown from memory: %1 cannot be written.\nSave As "
                                "and Print need its file and stay off until a report can be "
                                "written.")
                     .arg(QString::fromStdString(report)));
        QVERIFY(std::find(s.F.Log.begin(), s.F.Log.end(), "view ShowDocument") != s.F.Log.end());
        QVERIFY(std::find(s.F.Log.begin(), s.F.Log.end(), "view Navigate") == s.F.Log.end());
        QVERIFY(!s.F.View->ShownDocument.empty());
        QVERIFY(!s.Window->Command("CmdSaveAs").isEnabled() &&
                !s.Window->Command("CmdPrint").isEnabled());
        QVERIFY(!s.Window->StatusText().endsWith(QStringLiteral("not shown")));

        s.F.View->TakesDocuments = false;
        s.Window->LoadPresetFile(s.F.MakeFile("e.q3a"));
        QVERIFY2(s.F.Dialogs.Messages.back().Text.startsWith(
                     QStringLiteral("The report cannot be shown: %1 cannot be written.\n")
                         .arg(QString::fromStdString(report))),
                 qPrintable(s.F.Dialogs.Messages.back().Text));
        QVERIFY2(s.Window->StatusText().endsWith(QStringLiteral(" \u2014 not shown")),
                 qPrintable(s.Window->StatusText()));
    }

    // A dump received and not saved is the viewer's own copy: it reloads (F5, a column count)
    // as the received dump, is never a recent file or watched, and its messages name it so.
    void AnUnsavedReceivedDumpStaysAReceivedDump() {
        TShownWindow s;
        const std::string copy = s.F.MakeFile("__dump__.q3a");
        s.F.Source->During = [](IUserNotifier& notifier) { notifier.ShowWarning("Bad byte"); };
        s.Window->Report().Load(copy, TScroll::Top, TReportOrigin::ReceivedDump);
        const QString status = QStringLiteral(
            "Received dump (not saved) \u2014 QVR-3 \u2014 24 presets \u2014 1 warning");
        const struct {
            const char* Command;
            TScroll Scroll;
        } steps[] = {
            {nullptr, TScroll::Top}, {"CmdReload", TScroll::Keep}, {"Cmd2Col", TScroll::Top}};
        for (const auto& step : steps) {
            if (step.Command != nullptr) {
                s.Window->Command(step.Command).trigger();
            }
            const char* what = step.Command != nullptr ? step.Command : "load";
            QVERIFY2(s.Window->StatusText() == status, what);
            QCOMPARE(s.F.Source->Calls.back().FileName, copy);
            QCOMPARE(s.F.View->Scroll, step.Scroll);
            QVERIFY2(s.Window->RecentFiles().Files().empty(), what);
            QVERIFY2(s.Window->FileWatch().File().isEmpty(), what);
            QCOMPARE(s.F.Dialogs.Messages.back().Text,
                     QStringLiteral("Bad byte\n\nFile: received dump"));
        }
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t{3});
        // Once saved, it is a file like any other.
        s.Window->Report().Load(copy);
        QCOMPARE(s.Window->FileWatch().File(), QString::fromStdString(copy));
    }

    // The status line and the presets panel tell of the page on screen: a new report's take
    // their place when its page has loaded, not while the old one is still shown; meanwhile the
    // status line counts the presets shown so far.
    void TheStatusLineAndPanelChangeWhenThePageIsShown() {
        TShownWindow s;
        s.F.View->LoadsAtOnce = false;
        s.F.Source->Presets = {{1, "Old"}};
        s.Window->LoadPresetFile(s.F.MakeFile("old.q3a"));
        QCOMPARE(s.Window->StatusText(), QString());
        s.F.View->Events.Loaded(true);
        const QString old =
            QStringLiteral("old.q3a \u2014 QVR-3 \u2014 24 presets \u2014 0 warnings");
        QCOMPARE(s.Window->StatusText(), old);

        s.F.Source->Presets = {{1, "New"}, {2, "Two"}, {3, "Three"}};
        s.F.Source->Summary = {"QVR-3", 3};
        s.Window->LoadPresetFile(s.F.MakeFile("new.q3a"));
        const struct {
            int Headings; // on the page so far; -1: the page has loaded
            QString Message;
            QString Status;
            int Listed;
        } steps[] = {
            {0, "Loading the report: 0 of 3 presets", old, 1},
            {2, "Loading the report: 2 of 3 presets", old, 1},
            {5, "Loading the report: 3 of 3 presets", old, 1},
            {-1, "", "new.q3a \u2014 QVR-3 \u2014 3 presets \u2014 0 warnings", 3},
        };
        for (const auto& step : steps) {
            if (step.Headings < 0) {
                s.F.View->Events.Loaded(true);
            } else {
                s.F.View->Events.Progress(step.Headings);
            }
            QCOMPARE(s.Window->statusBar()->currentMessage(), step.Message);
            QCOMPARE(s.Window->StatusText(), step.Status);
            QCOMPARE(s.Window->PresetsPanel().List.count(), step.Listed);
        }
    }

    // A report over the page size is shown in parts of consecutive presets, each a report of
    // its own, with the whole one in the report file for Save As and Print; the part commands,
    // the panel and Go to Preset go from part to part. A report under it is shown whole.
    void ALargeReportIsShownInParts() {
        TShownWindow s("", "", 10); // the recorded document is 17 bytes: two parts
        s.F.Source->Presets = {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}};
        s.F.Source->Summary = {"QVR-3", 5};
        s.F.Log.clear();
        s.Window->LoadPresetFile(s.F.MakeFile("big.q3a"));
        const std::string part = s.F.FolderPath() + "__tmp__.part.html";
        QCOMPARE(s.F.Log, (TCallLog{"build " + s.F.FolderPath() + "big.q3a", "build part 0-3",
                                    "view Navigate"}));
        QCOMPARE(s.F.View->ShownFile, QString::fromStdString(part));
        QCOMPARE(s.F.View->WholeReport, QString::fromStdString(s.Window->ReportFileName()));
        QCOMPARE(ReadAll(s.Window->ReportFileName()), s.F.Source->Document);
        QCOMPARE(s.Window->PresetsPanel().List.count(), 5);
        const QString file =
            QStringLiteral("big.q3a \u2014 QVR-3 \u2014 5 presets \u2014 0 warnings");
        const struct {
            const char* What;
            std::function<void()> Do;
            TCallLog Calls;         // what was built and shown
            std::vector<int> Shown; // the presets shown in their parts so far
            QString Part;
            bool Next;
            bool Previous;
        } steps[] = {
            {"load", [] {}, {}, {}, " \u2014 part 1 of 2 (presets 1 to 3)", true, false},
            {"next part",
             [&] { s.Window->Command("CmdNextPart").trigger(); },
             {"build part 3-5", "view Navigate"},
             {},
             " \u2014 part 2 of 2 (presets 4 to 5)",
             false,
             true},
            {"next part at the end",
             [&] { s.Window->Command("CmdNextPart").trigger(); },
             {},
             {},
             " \u2014 part 2 of 2 (presets 4 to 5)",
             false,
             true},
            {"go to preset 2",
             [&] {
                 s.F.Dialogs.NumberAnswer = 2;
                 s.Window->Command("CmdGoToPreset").trigger();
             },
             {"build part 0-3", "view Navigate"},
             {1},
             " \u2014 part 1 of 2 (presets 1 to 3)",
             true,
             false},
            {"panel: preset 5",
             [&] {
                 TPresetsPanel& panel = s.Window->PresetsPanel();
                 panel.List.itemClicked(panel.List.item(4));
             },
             {"build part 3-5", "view Navigate"},
             {1, 1},
             " \u2014 part 2 of 2 (presets 4 to 5)",
             false,
             true},
            {"panel: preset 4, same part",
             [&] {
                 TPresetsPanel& panel = s.Window->PresetsPanel();
                 panel.List.itemClicked(panel.List.item(3));
             },
             {},
             {1, 1, 0},
             " \u2014 part 2 of 2 (presets 4 to 5)",
             false,
             true},
            {"reload, in the part shown",
             [&] { s.Window->Command("CmdReload").trigger(); },
             {"build " + s.F.FolderPath() + "big.q3a", "build part 3-5", "view Navigate"},
             {1, 1, 0},
             " \u2014 part 2 of 2 (presets 4 to 5)",
             false,
             true},
            {"previous part",
             [&] { s.Window->Command("CmdPreviousPart").trigger(); },
             {"build part 0-3", "view Navigate"},
             {1, 1, 0},
             " \u2014 part 1 of 2 (presets 1 to 3)",
             true,
             false},
        };
        for (const auto& step : steps) {
            s.F.Log.clear();
            step.Do();
            std::erase_if(s.F.Log, [](const std::string& call) { return call.starts_with("ask"); });
            QVERIFY2(s.F.Log == step.Calls, step.What);
            QVERIFY2(s.F.View->ShownPresets == step.Shown, step.What);
            QCOMPARE(s.Window->StatusText(), file + step.Part);
            QVERIFY2(s.Window->Command("CmdNextPart").isEnabled() == step.Next, step.What);
            QVERIFY2(s.Window->Command("CmdPreviousPart").isEnabled() == step.Previous, step.What);
        }
        QCOMPARE(ReadAll(part), std::string("<part 0-3>"));
        QVERIFY(s.Window->Command("CmdSaveAs").isEnabled() &&
                s.Window->Command("CmdPrint").isEnabled());
        s.Window->FormClose();
        QVERIFY(!QFile::exists(QString::fromStdString(part)));

        // At the page size the report is shown whole, from the report file, byte for byte.
        SetForms(s.F, "", s.F.Source->Document.size());
        s.F.Window->FormShow();
        s.F.Source->Presets = {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}};
        s.F.Source->Summary = {"QVR-3", 5};
        s.F.Log.clear();
        s.F.Window->LoadPresetFile(s.F.MakeFile("big.q3a"));
        QCOMPARE(s.F.Log, (TCallLog{"build " + s.F.FolderPath() + "big.q3a", "view Navigate"}));
        QCOMPARE(s.F.View->ShownFile, QString::fromStdString(s.F.Window->ReportFileName()));
        QCOMPARE(s.F.View->WholeReport, QString());
        QCOMPARE(ReadAll(s.F.Window->ReportFileName()), s.F.Source->Document);
        QCOMPARE(s.F.Window->StatusText(), file);
        QVERIFY(!s.F.Window->Command("CmdNextPart").isEnabled());
    }

    void LoadMessagesBecomeModalBoxes() {
        TShownWindow s;
        s.F.Source->During = [](IUserNotifier& notifier) {
            notifier.ShowError("Invalid SysEx message\nin file");
            notifier.ShowWarning("Value out of range");
        };
        const std::string file = s.F.MakeFile("bad.q3p");
        s.Window->LoadPresetFile(file);
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t(2));
        QCOMPARE(int(s.F.Dialogs.Messages[0].Kind), int(TMessageKind::Error));
        // The message as it is, then the file it is about; over the main window, whichever
        // window is active.
        QCOMPARE(s.F.Dialogs.Messages[0].Text,
                 QStringLiteral("Invalid SysEx message\nin file\n\nFile: ") +
                     QString::fromStdString(file));
        QCOMPARE(s.F.Dialogs.Messages[0].Owner, s.Window);
        QCOMPARE(int(s.F.Dialogs.Messages[1].Kind), int(TMessageKind::Warning));
        // A message outside a load names no file.
        s.Window->ShowWarning("Value out of range");
        QCOMPARE(s.F.Dialogs.Messages.back().Text, QStringLiteral("Value out of range"));
        // A load that ended at a bad message still shows what it gathered.
        QVERIFY(s.Window->Command("CmdPrint").isEnabled());
    }

    void AnExceptionReachesTheStandardDisplayAndTheProgramGoesOn() {
        TShownWindow s;
        s.F.Source->During = [](IUserNotifier&) { throw std::runtime_error("Range check error"); };
        s.Window->Command("Cmd2Col").trigger();
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t(1));
        const TMessage& m = s.F.Dialogs.Messages[0];
        QCOMPARE(int(m.Kind), int(TMessageKind::Stop));
        QCOMPARE(m.Title, QStringLiteral("Oktrel(tm) Patch Viewer"));
        QCOMPARE(m.Text, QStringLiteral("Range check error."));
        QVERIFY(!s.Window->Command("CmdSaveAs").isEnabled()); // the load did not end

        s.F.Source->During = [](IUserNotifier&) { throw std::runtime_error("Ends with a stop."); };
        s.Window->Command("Cmd3Col").trigger();
        QCOMPARE(s.F.Dialogs.Messages.back().Text, QStringLiteral("Ends with a stop."));

        s.F.Source->During = nullptr;
        s.Window->Command("Cmd4Col").trigger();
        QVERIFY(s.Window->Command("CmdSaveAs").isEnabled());
    }

    void OpenReadsAndWritesTheSettingsBeforeTheLoad() {
        TShownWindow s;
        WriteSetting("OpenFilterIndex", 8);
        WriteSetting("InitialDir", std::string("/presets/kdt/"));
        const std::string file = s.F.MakeFile("set.k3a");
        s.F.Dialogs.OpenChosenFile = QString::fromStdString(file);
        s.F.Dialogs.OpenChosenFilter = 6;
        std::optional<int32_t> indexDuringLoad;
        std::optional<std::string> dirDuringLoad;
        s.F.Source->During = [&](IUserNotifier&) {
            indexDuringLoad = ReadIntSetting("OpenFilterIndex");
            dirDuringLoad = ReadStringSetting("InitialDir");
        };
        s.Window->Command("CmdOpen").trigger();

        QCOMPARE(s.F.Dialogs.OpenDialogInputs.size(), size_t(1));
        QCOMPARE(s.F.Dialogs.OpenDialogInputs[0].FilterIndex, 8);
        QCOMPARE(s.F.Dialogs.OpenDialogInputs[0].InitialDir, QStringLiteral("/presets/kdt/"));
        QCOMPARE(indexDuringLoad, std::optional<int32_t>(6));
        QCOMPARE(dirDuringLoad, std::optional<std::string>(s.F.FolderPath()));
        QCOMPARE(s.F.Source->Calls.back().FileName, file);
        QCOMPARE(s.Window->CurrentFileName(), file);
    }

    void OpenWithoutSettingsStartsAtTheFirstFilterAndCreatesTheKey() {
        TShownWindow s;
        const std::string file = s.F.MakeFile("one.q1p");
        s.F.Dialogs.OpenChosenFile = QString::fromStdString(file);
        s.F.Dialogs.OpenChosenFilter = 1;
        s.Window->Command("CmdOpen").trigger();
        QCOMPARE(s.F.Dialogs.OpenDialogInputs[0].FilterIndex, 1);
        QCOMPARE(s.F.Dialogs.OpenDialogInputs[0].InitialDir, QString());
        QCOMPARE(ReadIntSetting("OpenFilterIndex"), std::optional<int32_t>(1));
        // The dialog keeps its state for the rest of the run.
        s.Window->Command("CmdOpen").trigger();
        QCOMPARE(s.F.Dialogs.OpenDialogInputs[1].InitialDir,
                 QString::fromStdString(s.F.FolderPath()));
    }

    void OpenOfAFileInTheRootFolderStoresTheRootOnce() {
        TShownWindow s;
        s.F.Dialogs.OpenChosenFile = QStringLiteral("/patch.q3p");
        s.Window->Command("CmdOpen").trigger();
        QCOMPARE(ReadStringSetting("InitialDir"), std::optional<std::string>("/"));
        QVERIFY(s.F.Source->Calls.empty()); // there is no such file
        QCOMPARE(s.F.Dialogs.Messages.back().Text,
                 QStringLiteral("Cannot open /patch.q3p: No such file or directory."));
    }

    // Each way the user names a file; the report shown before stays.
    void AFileThatCannotBeOpenedIsNamedWithItsReason() {
        TShownWindow s;
        const std::string shown = s.F.MakeFile("shown.q3a");
        s.Window->LoadPresetFile(shown);
        const QString status = s.Window->StatusText();
        const std::string folder = s.F.FolderPath() + "sub";
        QDir().mkpath(QString::fromStdString(folder));
        const std::string gone = s.F.FolderPath() + "gone.q3a";
        const struct {
            const char* Way;
            std::string File;
            std::function<void(const std::string&)> Open;
        } ways[] = {
            {"Open", gone,
             [&](const std::string& file) {
                 s.F.Dialogs.OpenChosenFile = QString::fromStdString(file);
                 s.Window->Command("CmdOpen").trigger();
             }},
            {"drop", folder,
             [&](const std::string& file) {
                 QMimeData mime;
                 mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
                 QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton,
                                       Qt::NoModifier);
                 QApplication::sendEvent(&s.F.View->Surface, &enter);
                 QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton,
                                 Qt::NoModifier);
                 QApplication::sendEvent(&s.F.View->Surface, &drop);
             }},
            {"command line", gone,
             [&](const std::string& file) { s.Window->OpenPresetFile(file); }},
        };
        const QString reasons[] = {QStringLiteral("No such file or directory"),
                                   QStringLiteral("Is a directory"),
                                   QStringLiteral("No such file or directory")};
        for (size_t i = 0; i < std::size(ways); ++i) {
            s.F.Dialogs.Messages.clear();
            ways[i].Open(ways[i].File);
            QVERIFY2(s.F.Dialogs.Messages.size() == 1, ways[i].Way);
            QCOMPARE(int(s.F.Dialogs.Messages[0].Kind), int(TMessageKind::Error));
            QCOMPARE(s.F.Dialogs.Messages[0].Text,
                     QStringLiteral("Cannot open %1: %2.")
                         .arg(QString::fromStdString(ways[i].File), reasons[i]));
            QCOMPARE(s.F.Source->Calls.size(), size_t(1));
            QCOMPARE(s.Window->CurrentFileName(), shown);
            QCOMPARE(s.Window->StatusText(), status);
        }
    }

    void RepeatedWarningsShowOneBoxEachAndTheStatusLineCountsThemAll() {
        TShownWindow s;
        s.F.Source->During = [](IUserNotifier& notifier) {
            for (int i = 0; i < 5; ++i) {
                notifier.ShowWarning("Link beyond the chain");
            }
            notifier.ShowWarning("Value out of range");
        };
        s.Window->LoadPresetFile(s.F.MakeFile("backup.q3a"));
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t(2));
        QCOMPARE(s.Window->StatusText(),
                 QStringLiteral("backup.q3a \u2014 QVR-3 \u2014 24 presets \u2014 6 warnings"));
        // The next load shows its warnings again.
        s.F.Source->Summary = {"", 1};
        s.F.Source->During = [](IUserNotifier& notifier) {
            notifier.ShowWarning("Value out of range");
            notifier.ShowError("Bad checksum");
        };
        s.Window->LoadPresetFile(s.F.MakeFile("one.q3p"));
        QCOMPARE(s.F.Dialogs.Messages.size(), size_t(4));
        QCOMPARE(s.Window->StatusText(),
                 QStringLiteral("one.q3p \u2014 1 preset \u2014 1 error \u2014 1 warning"));
        // While the view loads a report, the status line says how far it has come.
        s.F.View->Events.Progress(0);
        QCOMPARE(s.Window->statusBar()->currentMessage(),
                 QStringLiteral("Loading the report: 0 of 1 preset"));
        s.F.View->Events.Loaded(true);
        QVERIFY(s.Window->statusBar()->currentMessage().isEmpty());
        QCOMPARE(s.Window->windowTitle(), QStringLiteral("Oktrel(tm) Preset Viewer"));
    }

    void OpenCancelledWritesAndLoadsNothing() {
        TShownWindow s;
        s.F.Dialogs.OpenAccepts = false;
        s.Window->Command("CmdOpen").trigger();
        QVERIFY(s.F.Source->Calls.empty());
        QVERIFY(!SettingsKeyExists());
        QVERIFY(s.F.Dialogs.Messages.empty());
    }

    void ColumnItemReloadsTheCurrentFile() {
        TShownWindow s;
        const std::string file = s.F.MakeFile("b.q2a");
        s.Window->LoadPresetFile(file);
        s.F.Log.clear();
        s.F.Source->Document = "<table>two</table>\n";
        s.Window->Command("Cmd2Col").trigger();
        QCOMPARE(s.F.Log, (TCallLog{"build " + file, "view Navigate"}));
        QCOMPARE(s.F.Source->Calls.back().ColumnCount, 2);
        QCOMPARE(s.Window->ColumnCount(), 2);
        QVERIFY(s.Window->Command("Cmd2Col").isChecked());
        QVERIFY(!s.Window->Command("Cmd4Col").isChecked());
        QCOMPARE(ReadAll(s.Window->ReportFileName()), std::string("<table>two</table>\n"));
        QVERIFY(!SettingsKeyExists()); // stored only at close
    }

    void ColumnItemBeforeAnyFileLoadsTheEmptyName() {
        TShownWindow s;
        s.Window->Command("Cmd1Col").trigger();
        QCOMPARE(s.F.Source->Calls.size(), size_t(1));
        QCOMPARE(s.F.Source->Calls[0].FileName, std::string());
        QVERIFY(s.Window->Command("CmdPageSetup").isEnabled());
        QVERIFY(s.F.Dialogs.Messages.empty());
    }

    void ViewCommandsGoToTheView() {
        TShownWindow s;
        s.F.Log.clear();
        s.Window->Command("CmdCopy").trigger();
        s.Window->Command("CmdSelectAll").trigger();
        s.Window->LoadPresetFile("");
        s.F.Log.clear();
        s.Window->Command("CmdSaveAs").trigger();
        s.Window->Command("CmdPageSetup").trigger();
        s.Window->Command("CmdPrint").trigger();
        QCOMPARE(s.F.Log, (TCallLog{"view SaveAs", "view PageSetup", "view Print"}));
        QVERIFY(s.F.Dialogs.Messages.empty());
    }

    void AboutAndMIDIAreShownModally() {
        TShownWindow s;
        s.F.Log.clear();
        s.Window->Command("CmdAbout").trigger();
        s.Window->Command("CmdMIDIDevices").trigger();
        QCOMPARE(s.F.Log, (TCallLog{"modal FormAbout", "modal FormMIDI"}));
    }

    // The lists hold "none" and the ports when the dialog opens; OK stores the choice by name
    // under the viewer's key, Cancel keeps the stored one; "none" chosen again stores none.
    void MidiDevicesListThePortsAndStoreTheChoice() {
        TShownWindow s;
        QCOMPARE(s.F.MidiListReads, 0);
        auto choose = [&](int input, bool scanAll, bool ok) {
            s.F.Dialogs.OnModal = [=](QDialog& dialog) {
                auto& midi = dynamic_cast<TFormMIDI&>(dialog);
                midi.CBoxInMIDIDevice.setCurrentIndex(input);
                midi.CkBoxScanAll.setChecked(scanAll);
                (ok ? midi.BtnOK : midi.BtnCancel).click();
            };
            s.Window->Command("CmdMIDIDevices").trigger();
        };
        choose(2, true, true);
        QCOMPARE(s.F.MidiListReads, 1);
        QCOMPARE(s.Midi.CBoxInMIDIDevice.count(), 3);
        QCOMPARE(s.Midi.CBoxOutMIDIDevice.currentText(), QString::fromLatin1(NoOutputText));
        QCOMPARE(ReadStringSetting("MIDIInDevice"), std::optional<std::string>("qvr-send:out"));
        QCOMPARE(ReadStringSetting("MIDIOutDevice"), std::optional<std::string>(""));
        QCOMPARE(ReadIntSetting("MIDIScanAll"), std::optional<int32_t>(1));

        choose(0, false, false);
        QCOMPARE(s.Midi.CBoxInMIDIDevice.currentText(), QStringLiteral("qvr-send:out"));
        QVERIFY(s.Midi.CkBoxScanAll.isChecked());
        QCOMPARE(ReadStringSetting("MIDIInDevice"), std::optional<std::string>("qvr-send:out"));
        QCOMPARE(ReadIntSetting("MIDIScanAll"), std::optional<int32_t>(1));

        choose(0, true, true);
        QCOMPARE(s.Midi.CBoxInMIDIDevice.currentText(), QString::fromLatin1(NoInputText));
        QCOMPARE(ReadStringSetting("MIDIInDevice"), std::optional<std::string>(""));
    }

    // With "Scan all devices at startup" the lists are read once, at start-up; a stored port
    // that is not there now stays listed, marked as gone, and chosen; OK keeps it by its name.
    void MidiScanAtStartupReadsTheListsOnce() {
        TWindowFixture f;
        WriteSetting("MIDIScanAll", 1);
        WriteSetting("MIDIInDevice", "Gone:out");
        TFormMIDI& midi = SetForms(f);
        QCOMPARE(f.MidiListReads, 1);
        QCOMPARE(midi.CBoxInMIDIDevice.count(), 4);
        QCOMPARE(midi.CBoxInMIDIDevice.currentText(), QStringLiteral("Gone:out (gone)"));
        f.Dialogs.OnModal = [](QDialog& dialog) { dynamic_cast<TFormMIDI&>(dialog).BtnOK.click(); };
        f.Window->Command("CmdMIDIDevices").trigger();
        QCOMPARE(f.MidiListReads, 1);
        QCOMPARE(ReadStringSetting("MIDIInDevice"), std::optional<std::string>("Gone:out"));
    }

    void HelpOpensTheContentsPage() {
        TShownWindow s;
        s.Window->Command("CmdContents").trigger();
        QVERIFY(s.Window->HelpWindow() != nullptr);
        QCOMPARE(s.Window->HelpWindow()->Browser.source(), HelpContentsUrl());
        QVERIFY(s.Window->HelpWindow()->Browser.toPlainText().contains(QStringLiteral("Support")));
        s.Window->HelpWindow()->Browser.setSource(QUrl(QStringLiteral("qrc:/help/models.html")));
        QVERIFY(s.Window->HelpWindow()->Browser.toPlainText().contains(
            QStringLiteral("Tindrel3\n.t3p\n.t3a\nTindrel3.cfg")));
        // Escape and Ctrl+W close it, as they close the other windows.
        THelpWindow& help = *s.Window->HelpWindow();
        for (const QKeySequence& key :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            help.show();
            help.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&help));
            QTest::keySequence(&help.Browser, key);
            QVERIFY2(help.isHidden(), qPrintable(key.toString()));
        }
    }

    void CloseDeletesTheReportAndStoresBoundsAndColumns() {
        TShownWindow s;
        s.Window->LoadPresetFile(s.F.MakeFile("c.q3p"));
        QVERIFY(QFile::exists(QString::fromStdString(s.Window->ReportFileName())));
        s.Window->Command("Cmd2Col").trigger();
        s.Window->resize(900, 600);
        s.Window->move(40, 30);
        s.Window->FormClose();
        QVERIFY(!QFile::exists(QString::fromStdString(s.Window->ReportFileName())));
        QCOMPARE(ReadIntSetting("MainWidth"), std::optional<int32_t>(900));
        QCOMPARE(ReadIntSetting("MainHeight"), std::optional<int32_t>(600));
        QCOMPARE(ReadIntSetting("MainLeft"), std::optional<int32_t>(40));
        QCOMPARE(ReadIntSetting("MainTop"), std::optional<int32_t>(30));
        QCOMPARE(ReadIntSetting("ColCount"), std::optional<int32_t>(2));

        // The stored values come back at the next start.
        TFormMain& next = s.F.Create();
        QCOMPARE(QRect(next.pos(), next.size()), QRect(40, 30, 900, 600));
        QCOMPARE(next.ColumnCount(), 2);
        QVERIFY(next.Command("Cmd2Col").isChecked());
    }

    void CloseWithoutAReportStillStoresTheSettings() {
        TShownWindow s;
        s.Window->FormClose();
        QCOMPARE(ReadIntSetting("ColCount"), std::optional<int32_t>(4));
        QCOMPARE(ReadIntSetting("MainWidth"), std::optional<int32_t>(736));
    }

    void ReloadReadsTheFileAgainKeepingTheScrollPosition() {
        TShownWindow s;
        QVERIFY(!s.Window->Command("CmdReload").isEnabled());
        const std::string file = s.F.MakeFile("r.q3a");
        s.Window->OpenPresetFile(file);
        QVERIFY(s.Window->Command("CmdReload").isEnabled());
        QCOMPARE(s.F.View->Scroll, TScroll::Top);
        s.Window->Command("CmdReload").trigger();
        QCOMPARE(s.F.Source->Calls.size(), size_t(2));
        QCOMPARE(s.F.Source->Calls.back().FileName, file);
        QCOMPARE(s.F.View->Scroll, TScroll::Keep);
        // Gone since: the message, and the report stays.
        QFile::remove(QString::fromStdString(file));
        s.Window->Command("CmdReload").trigger();
        QCOMPARE(s.F.Source->Calls.size(), size_t(2));
        QCOMPARE(s.F.Dialogs.Messages.back().Text,
                 QStringLiteral("Cannot open %1: No such file or directory.")
                     .arg(QString::fromStdString(file)));
    }

    // An editor saves through a new file renamed over the old one, or writes in place.
    void AChangeOnDiskReloadsOnceTheWriteHasSettled() {
        TShownWindow s;
        const std::string file = s.F.MakeFile("w.q3a", "one");
        s.Window->OpenPresetFile(file);
        s.F.MakeFile("w.q3a.new", "two, longer");
        QVERIFY(
            QFile::rename(QString::fromStdString(file + ".new"), QString::fromStdString(file)) ||
            (QFile::remove(QString::fromStdString(file)) &&
             QFile::rename(QString::fromStdString(file + ".new"), QString::fromStdString(file))));
        QTRY_COMPARE_WITH_TIMEOUT(s.F.Source->Calls.size(), size_t(2), 10000);
        QCOMPARE(s.F.View->Scroll, TScroll::Keep);
        // The renamed file is watched in turn.
        s.F.MakeFile("w.q3a", "three, longer still");
        QTRY_COMPARE_WITH_TIMEOUT(s.F.Source->Calls.size(), size_t(3), 10000);
        // A slow writer: three pieces, each longer apart than a change takes to settle, then the
        // close. One load, at the end, of the whole file.
        {
            QFile slow(QString::fromStdString(file));
            QVERIFY(slow.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (const char* piece : {"four ", "pieces ", "in all"}) {
                slow.write(piece);
                QVERIFY(slow.flush());
                QTest::qWait(2 * TFileWatch::SettleMs); // the writer's pause, not a wait on us
            }
            s.F.Source->During = [&](IUserNotifier&) {
                QCOMPARE(ReadAll(file), std::string("four pieces in all"));
            };
        }
        QTRY_COMPARE_WITH_TIMEOUT(s.F.Source->Calls.size(), size_t(4), 10000);
        // Other files of the folder do not count.
        s.F.MakeFile("other.q3a", "x");
        QTest::qWait(3 * TFileWatch::SettleMs);
        QCOMPARE(s.F.Source->Calls.size(), size_t(4));
        QVERIFY(s.F.Dialogs.Messages.empty());
    }

    void ZoomGoesInStepsAndIsStored() {
        TShownWindow s;
        QCOMPARE(s.Window->ZoomPercent(), 100);
        const struct {
            QAction* Item;
            int Percent;
        } steps[] = {
            {&s.Window->Command("CmdZoomIn"), 110},     {&s.Window->Command("CmdZoomIn"), 125},
            {&s.Window->Command("CmdActualSize"), 100}, {&s.Window->Command("CmdZoomOut"), 90},
            {&s.Window->Command("CmdZoomOut"), 80},     {&s.Window->Command("CmdZoomIn"), 90}};
        for (const auto& step : steps) {
            step.Item->trigger();
            QCOMPARE(s.Window->ZoomPercent(), step.Percent);
            QCOMPARE(s.F.View->Zoom, step.Percent / 100.0);
        }
        for (int i = 0; i < 20; ++i) {
            s.Window->Command("CmdZoomOut").trigger();
        }
        QCOMPARE(s.Window->ZoomPercent(), 25);
        s.Window->Command("CmdZoomIn").trigger();
        s.Window->FormClose();
        QCOMPARE(ReadIntSetting("Zoom"), std::optional<int32_t>(33));
        TFormMain& next = s.F.Create();
        QCOMPARE(next.ZoomPercent(), 33);
        QCOMPARE(s.F.View->Zoom, 0.33);
        // A stored value that is no step reads as the normal size.
        WriteSetting("Zoom", 12345);
        QCOMPARE(s.F.Create().ZoomPercent(), 100);
    }

    void RecentFilesNewestFirstEightAtMostStoredAtClose() {
        TShownWindow s;
        std::vector<std::string> files;
        for (int i = 1; i <= 9; ++i) {
            files.push_back(
                s.F.MakeFile(std::string("p").append(std::to_string(i)).append(".q3p")));
            s.Window->OpenPresetFile(files.back());
        }
        s.Window->OpenPresetFile(files[4]); // again: moves up
        const std::vector<std::string> expected = {files[4], files[8], files[7], files[6],
                                                   files[5], files[3], files[2], files[1]};
        QCOMPARE(s.Window->RecentFiles().Files(), expected);
        QMenu& menu = s.Window->Menu("CmdRecent");
        QVERIFY(menu.isEnabled());
        QCOMPARE(menu.actions().at(1)->text(),
                 QStringLiteral("&2 ") + QString::fromStdString(files[8]));

        // Chosen from the menu: opened and first; a missing one gives the message and stays.
        menu.actions().at(2)->trigger();
        QCOMPARE(s.F.Source->Calls.back().FileName, files[7]);
        QCOMPARE(s.Window->RecentFiles().Files().front(), files[7]);
        const std::vector<std::string> before = s.Window->RecentFiles().Files();
        QFile::remove(QString::fromStdString(files[1]));
        const size_t builds = s.F.Source->Calls.size();
        menu.actions().at(7)->trigger();
        QCOMPARE(s.F.Source->Calls.size(), builds);
        QCOMPARE(s.F.Dialogs.Messages.back().Text,
                 QStringLiteral("Cannot open %1: No such file or directory.")
                     .arg(QString::fromStdString(files[1])));
        QCOMPARE(s.Window->RecentFiles().Files(), before);

        s.Window->FormClose();
        QCOMPARE(ReadStringSetting("RecentFile1"), std::optional<std::string>(files[7]));
        QCOMPARE(ReadStringSetting("RecentFile8"), std::optional<std::string>(files[1]));
        TFormMain& next = s.F.Create();
        QCOMPARE(next.RecentFiles().Files(), before);

        // A name given from the current folder is kept from the root, and one file once.
        const QString here = QDir::currentPath();
        QDir::setCurrent(QFileInfo(QString::fromStdString(files[2])).absolutePath());
        next.OpenPresetFile("./p3.q3p");
        QDir::setCurrent(here);
        QCOMPARE(next.RecentFiles().Files().front(), files[2]);
        QCOMPARE(std::count(next.RecentFiles().Files().begin(), next.RecentFiles().Files().end(),
                            files[2]),
                 1);
    }

    void SaveAsProposesThePresetFilesNameInItsFolder() {
        TShownWindow s;
        const std::string file = s.F.MakeFile("my.backup.q3a");
        s.Window->OpenPresetFile(file);
        s.Window->Command("CmdSaveAs").trigger();
        QCOMPARE(s.F.View->ProposedFile,
                 QString::fromStdString(s.F.FolderPath() + "my.backup.html"));
    }

    void FindBarSearchesAsYouTypeAndSteps() {
        TShownWindow s;
        s.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.Window));
        TFindBar& bar = s.Window->FindBar();
        QVERIFY(bar.isHidden());
        s.Window->Command("CmdFind").trigger();
        QVERIFY(bar.isVisible());
        using TFind = TRecordingView::TFind;
        auto& finds = s.F.View->Finds;
        QTest::keyClicks(&bar.Text, QStringLiteral("Pr"));
        QCOMPARE(finds, (std::vector<TFind>{{"P", false, false}, {"Pr", false, false}}));
        QCOMPARE(bar.Count.text(), QStringLiteral("3 of 57"));
        finds.clear();
        QTest::keyClick(&bar.Text, Qt::Key_Return);
        QTest::keyClick(&bar.Text, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(&bar.Text, Qt::Key_F3);
        QTest::keyClick(&bar.Text, Qt::Key_F3, Qt::ShiftModifier);
        bar.MatchCase.setChecked(true);
        QCOMPARE(finds, (std::vector<TFind>{{"Pr", false, false},
                                            {"Pr", true, false},
                                            {"Pr", false, false},
                                            {"Pr", true, false},
                                            {"", false, false},
                                            {"Pr", false, true}}));
        s.F.View->FoundTotal = 0;
        QTest::keyClick(&bar.Text, Qt::Key_Return);
        QCOMPARE(bar.Count.text(), QStringLiteral("No matches"));
        finds.clear();
        QTest::keyClick(&bar.Text, Qt::Key_Escape);
        QVERIFY(bar.isHidden());
        QCOMPARE(finds, (std::vector<TFind>{{"", false, false}})); // the marks go
        s.Window->close();
    }

    void DroppedFileOpensWithoutTouchingTheSettings() {
        TShownWindow s;
        const std::string file = s.F.MakeFile("dropped.t3a");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.F.View->Surface, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.F.View->Surface, &drop);
        QCOMPARE(s.F.Source->Calls.size(), size_t(1));
        QCOMPARE(s.F.Source->Calls[0].FileName, file);
        QVERIFY(!SettingsKeyExists());

        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.org/a.q3p"))});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &remote, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(&s.F.View->Surface, &refused);
        QVERIFY(!refused.isAccepted());
    }
};

QVR_REGISTER_TEST(MainWindowTest);

} // namespace qvr::test

#include "MainWindowTest.moc"
