// The About box, the disclaimer notice, the MIDI dialog and the access keys of every dialog.

#include "app/common/Dialogs.h"

#include "app/common/AnsiText.h"
#include "app/compare/ComparePresetsDialog.h"
#include "app/device/MIDIConfig.h"
#include "app/device/MidiDevices.h"
#include "app/device/ReceiveDialog.h"
#include "app/edit/PresetEditDialog.h"
#include "app/library/LibraryFoldersDialog.h"
#include "app/printing/PdfMaker.h"
#include "app/printing/PdfPrinter.h"
#include "app/shell/About.h"
#include "app/shell/Disclaim.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/SignalQuit.h"
#include "platform/Progverinfo.h"
#include "tests/app/QtTestRegistry.h"
#include "tests/app/Recorders.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPrinter>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fstream>
#include <iterator>

namespace qvr::test {

namespace {

struct TPrintCase {
    TPrintChoices Choices;
    QStringList Args;
};

std::vector<TPrintCase> PrintCases() {
    return {
        {{QString(), 1, true, QPrinter::DuplexNone, false, false},
         {"-n", "1", "-o", "sides=one-sided", "-o", "print-color-mode=monochrome"}},
        {{"Office", 3, true, QPrinter::DuplexLongSide, false, true},
         {"-d", "Office", "-n", "3", "-o", "collate=true", "-o", "sides=two-sided-long-edge", "-o",
          "print-color-mode=color"}},
        {{QString(), 2, false, QPrinter::DuplexShortSide, false, false},
         {"-n", "2", "-o", "collate=false", "-o", "sides=two-sided-short-edge", "-o",
          "print-color-mode=monochrome"}},
        {{QString(), 0, true, QPrinter::DuplexAuto, true, true},
         {"-n", "1", "-o", "sides=two-sided-short-edge", "-o", "print-color-mode=color"}},
        {{QString(), 1, true, QPrinter::DuplexAuto, false, true},
         {"-n", "1", "-o", "sides=two-sided-long-edge", "-o", "print-color-mode=color"}},
    };
}

// A window whose closing shows an error box, as the main window does when its settings
// cannot be saved.
class TBoxOnClose : public QWidget {
public:
    bool Closed = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Settings"),
                        QStringLiteral("The settings cannot be saved."), QMessageBox::Ok);
        box.exec();
        Closed = true;
        QWidget::closeEvent(event);
    }
};

// What is wrong with the access keys of a window, or nothing: each button and each label that
// names a control has one, each list and choice box is named by such a label, and no key is
// used twice.
QString AccessKeyFault(const QWidget& window) {
    QString keys;
    const auto take = [&keys](const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty() || keys.contains(key.toString())) {
            return false;
        }
        keys += key.toString();
        return true;
    };
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && !take(button->text())) {
            return QStringLiteral("button ") + button->text();
        }
    }
    QList<const QWidget*> named;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            if (!take(label->text())) {
                return QStringLiteral("label ") + label->text();
            }
            named << label->buddy();
        }
    }
    for (const QWidget* list : window.findChildren<QWidget*>()) {
        if ((qobject_cast<const QComboBox*>(list) != nullptr ||
             qobject_cast<const QListWidget*>(list) != nullptr) &&
            !named.contains(list)) {
            return QStringLiteral("unnamed ") + list->metaObject()->className();
        }
    }
    return {};
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void AboutShowsTheProgramsVersionStrings() {
        TFormAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.LabProductName.text(), QStringLiteral("Oktrel(tm) Preset Viewer"));
        QCOMPARE(about.LabVersion.text(), QStringLiteral("Version 1.1e"));
        const TVerInfo info;
        QCOMPARE(about.LabCopyright.text(), FromAnsi(info.GetCopyright()));
        QCOMPARE(about.LabComments.text(), FromAnsi(info.GetComments()));
        QVERIFY(!about.LabCopyright.text().isEmpty());
        QVERIFY(!about.LabComments.text().isEmpty());
        QCOMPARE(about.size(), QSize(327, 209));
        QCOMPARE(about.OKButton.geometry(), QRect(126, 176, 75, 25));
        QVERIFY(about.OKButton.isDefault());
        // The icon drawn for the desktop, at the size of its place.
        const QImage icon = about.ProgramIcon.pixmap().toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixelColor(16, 1).alpha(), 0);
        QCOMPARE(icon.pixelColor(16, 9), QColor(0xD9, 0x8C, 0x1F));
        QCOMPARE(icon.pixelColor(16, 14), QColor(0x2B, 0x2F, 0x3A));
    }

    void AboutOfAFileWithoutVersionStringsShowsOnlyVersion() {
        const TVerInfo none("/nonexistent/program");
        TFormAbout about(none);
        QCOMPARE(about.LabProductName.text(), QString());
        QCOMPARE(about.LabVersion.text(), QStringLiteral("Version "));
        QCOMPARE(about.LabCopyright.text(), QString());
        QCOMPARE(about.LabComments.text(), QString());
    }

    void NoticeTextIsExact() {
        const std::string text = DisclaimerText();
        const std::string first =
            "This program has not been created by, nor is supported by, Korvane\xAE or its parent "
            "company, Velmora International Company. In addition, the author is not an employee "
            "of nor is affiliated with these companies.";
        const std::string second =
            "This program is freeware. There are no warranties of any kind with this program. If "
            "you have questions or problems with this program, please contact the author as "
            "indicated in the \"Support\" section of the online help.";
        QCOMPARE(text, first + "\n\n" + second);
        QCOMPARE(text.find('\r'), std::string::npos);

        TFormSplash splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("IMPORTANT NOTICE"));
        QVERIFY(splash.TxtDisclaimer.text().contains(QStringLiteral("Korvane\u00AE or its")));
        QCOMPARE(splash.TxtDisclaimer.text(), FromAnsi(text));
        QCOMPARE(splash.size(), QSize(430, 244));
        QCOMPARE(splash.TxtDisclaimer.geometry(), QRect(12, 12, 406, 181));
        QCOMPARE(splash.BtnOK.text(), QStringLiteral("&OK"));
    }

    void NoticeHasNoCloseBoxAndIgnoresEscape() {
        TFormSplash splash;
        const Qt::WindowFlags flags = splash.windowFlags();
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));
        QVERIFY(flags & Qt::CustomizeWindowHint);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
        QTest::mouseClick(&splash.BtnOK, Qt::LeftButton);
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.result(), int(QDialog::Accepted));
    }

    void MIDICancelRestoresTheSelectionsOfTheShow() {
        TFormMIDI midi;
        QCOMPARE(midi.windowTitle(), QStringLiteral("MIDI Configuration"));
        midi.show();
        QCOMPARE(midi.SavedInIndex, -1);
        QCOMPARE(midi.SavedOutIndex, -1);
        QTest::mouseClick(&midi.BtnCancel, Qt::LeftButton);
        QVERIFY(!midi.isVisible());
        QCOMPARE(midi.CBoxInMIDIDevice.currentIndex(), -1);
        QCOMPARE(midi.CBoxOutMIDIDevice.currentIndex(), -1);

        // With entries (the dialog never gets any by itself) the snapshot is visible.
        midi.CBoxInMIDIDevice.addItems({"In A", "In B"});
        midi.CBoxOutMIDIDevice.addItems({"Out A", "Out B"});
        midi.CBoxInMIDIDevice.setCurrentIndex(1);
        midi.CBoxOutMIDIDevice.setCurrentIndex(0);
        midi.show();
        midi.CBoxInMIDIDevice.setCurrentIndex(0);
        midi.CBoxOutMIDIDevice.setCurrentIndex(1);
        QTest::mouseClick(&midi.BtnCancel, Qt::LeftButton);
        QCOMPARE(midi.CBoxInMIDIDevice.currentIndex(), 1);
        QCOMPARE(midi.CBoxOutMIDIDevice.currentIndex(), 0);

        midi.show();
        midi.CBoxInMIDIDevice.setCurrentIndex(0);
        QTest::mouseClick(&midi.BtnOK, Qt::LeftButton);
        QCOMPARE(midi.CBoxInMIDIDevice.currentIndex(), 0);
    }

    void MIDICheckBoxSurvivesOKAndEscapeDoesNotClose() {
        TFormMIDI midi;
        midi.show();
        QVERIFY(QTest::qWaitForWindowExposed(&midi));
        QVERIFY(!midi.CkBoxScanAll.isChecked());
        midi.CkBoxScanAll.setChecked(true);
        QTest::keyClick(&midi, Qt::Key_Escape);
        QVERIFY(midi.isVisible());
        QTest::mouseClick(&midi.BtnOK, Qt::LeftButton);
        QVERIFY(!midi.isVisible());
        midi.show();
        QVERIFY(midi.CkBoxScanAll.isChecked());
        QVERIFY(!midi.BtnOK.isDefault() && !midi.BtnCancel.isDefault());
        // The input list comes first in the tab order, then the output list, the box, OK and
        // Cancel.
        QVERIFY(QTest::qWaitForWindowActive(&midi));
        QCOMPARE(QApplication::focusWidget(), &midi.CBoxInMIDIDevice);
        const QWidget* expected[] = {&midi.CBoxOutMIDIDevice, &midi.CkBoxScanAll, &midi.BtnOK,
                                     &midi.BtnCancel, &midi.CBoxInMIDIDevice};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        midi.close();
    }

    void EveryDialogHasAccessKeys() {
        QWidget owner;
        TFormAbout about;
        TFormSplash splash;
        TFormMIDI midi;
        TComparePresetsDialog compare(&owner);
        TLibraryFoldersDialog folders(owner, {}, [](QWidget&) { return QString(); });
        TReceiveDialog receive(&owner);
        THelpWindow help;
        const std::pair<const char*, const QWidget*> windows[] = {{"About", &about},
                                                                  {"notice", &splash},
                                                                  {"MIDI", &midi},
                                                                  {"Compare Presets", &compare},
                                                                  {"Library Folders", &folders},
                                                                  {"Receive", &receive},
                                                                  {"Help", &help}};
        for (const auto& [name, window] : windows) {
            const QString fault = AccessKeyFault(*window);
            QVERIFY2(fault.isEmpty(), qPrintable(QString::fromLatin1(name) + ": " + fault));
        }
    }

    // The lists are chosen from first: focus starts on the old one, the buttons come last.
    void ComparePresetsStartsOnTheOldList() {
        TComparePresetsDialog dialog(nullptr);
        dialog.SetPresets({{1, "A"}, {2, "B"}});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), &dialog.OldList);
        const auto buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons != nullptr);
        const QWidget* expected[] = {&dialog.NewList, buttons->button(QDialogButtonBox::Ok),
                                     buttons->button(QDialogButtonBox::Cancel), &dialog.OldList};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        dialog.close();
    }

    void OpenDialogsAllFilesFilterListsFilesWithoutAnExtension() {
        QTemporaryDir folder;
        for (const char* name : {"a.q3p", "noext"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QWidget owner;
        TOpenDialogState state;
        state.InitialDir = folder.path();
        state.FilterIndex = 11;
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* model = dialog->findChild<QFileSystemModel*>();
            QVERIFY(model != nullptr);
            const QModelIndex dir = model->index(folder.path());
            QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(dir) > 0, true, 5000);
            QTest::qWait(200);
            for (int row = 0; row < model->rowCount(dir); ++row) {
                listed << model->index(row, 0, dir).data().toString();
            }
            dialog->reject();
        });
        TQtDialogs dialogs;
        QVERIFY(!dialogs.RunOpenDialog(owner, state));
        listed.sort();
        QCOMPARE(listed, (QStringList{"a.q3p", "noext"}));
    }

    // A name typed without an extension gets the chosen type's; one with an extension keeps it.
    void SaveDialogAddsTheChosenTypesExtension() {
        QCOMPARE(FilterSuffix(QStringLiteral("HTML document (*.html *.htm)")),
                 QStringLiteral("html"));
        QCOMPARE(FilterSuffix(QStringLiteral("All Files (*)")), QString());
        QCOMPARE(FilterSuffix(QStringLiteral("All Files (*.*)")), QString());
        QTemporaryDir folder;
        const QString html = QStringLiteral("HTML document (*.html *.htm)");
        const QString pdf = QStringLiteral("PDF document (*.pdf)");
        struct TCase {
            QString Typed;
            QString Filter;
            QString Saved;
        };
        const TCase cases[] = {{"report", pdf, "report.pdf"},
                               {"report", html, "report.html"},
                               {"report.htm", pdf, "report.htm"}};
        for (const TCase& c : cases) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                dialog->selectFile(c.Typed);
                QMetaObject::invokeMethod(dialog, "accept");
            });
            QWidget owner;
            TSaveDialogState state{QStringLiteral("Save As"),
                                   {html, pdf},
                                   folder.filePath(QStringLiteral("x")),
                                   c.Filter};
            QVERIFY(TQtDialogs().RunSaveDialog(owner, state));
            QCOMPARE(QFileInfo(state.FileName).fileName(), c.Saved);
            QCOMPARE(state.Filter, c.Filter);
        }
    }

    // What the print dialog's choices become on the print system's command line.
    void PrinterChoicesBecomePrintCommandOptions() {
        const QStringList titleAndFile = {"-t", "backup.q3a", "--", "/tmp/job.pdf"};
        for (const TPrintCase& c : PrintCases()) {
            QCOMPARE(PrintCommandArguments(c.Choices, QStringLiteral("backup.q3a"),
                                           QStringLiteral("/tmp/job.pdf")),
                     c.Args + titleAndFile);
        }
    }

    // The page layout handed to the PDF maker: written out by hand, read back alike; anything
    // else is refused.
    void PageLayoutTravelsAsText() {
        const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(10, 20, 30, 40), QPageLayout::Point);
        const QPageLayout letter(QPageSize(QPageSize::Letter), QPageLayout::Landscape,
                                 QMarginsF(36, 36, 36, 36), QPageLayout::Point);
        QCOMPARE(PageLayoutText(a4), QStringLiteral("595 842 0 10 20 30 40"));
        QCOMPARE(PageLayoutText(letter), QStringLiteral("612 792 1 36 36 36 36"));
        for (const QPageLayout& layout : {a4, letter}) {
            const std::optional<QPageLayout> back = PageLayoutFromText(PageLayoutText(layout));
            QVERIFY(back.has_value());
            QVERIFY2(back->isEquivalentTo(layout), qPrintable(PageLayoutText(*back)));
            QCOMPARE(back->pageSize().id(), layout.pageSize().id());
        }
        for (const char* refused :
             {"", "595 842 0 10 20 30", "595 842 0 10 20 30 40 50", "0 842 0 0 0 0 0",
              "595 842 2 0 0 0 0", "595 842 0 -1 0 0 0", "595 x 0 0 0 0 0"}) {
            QVERIFY2(!PageLayoutFromText(QString::fromLatin1(refused)), refused);
        }
    }

    // A MIDI library's "Class::function: " goes; any other text stays as it is.
    void MidiFailuresLoseTheLibrarysPrefix() {
        const std::pair<const char*, const char*> cases[] = {
            {"MidiInJack::initialize: JACK server not running?", "JACK server not running?"},
            {"Midi_Out2::open_port: no port", "no port"},
            {"No such port: 'Synth'", "No such port: 'Synth'"},
            {"the port A::b: went away", "the port A::b: went away"},
            {"::open: x", "::open: x"},
            {"A::: x", "A::: x"},
            {"A::b:x", "A::b:x"},
        };
        for (const auto& [raw, shown] : cases) {
            QCOMPARE(MidiFailureText(raw), std::string(shown));
        }
    }

    // SIGTERM while an error box waits for an answer, and closing the window shows another:
    // the run ends all the same, the window closed.
    void AQuitSignalEndsTheRunWhateverBoxIsOpen() {
        const TQuitOnSignals quitOnSignals;
        TBoxOnClose window;
        window.show();
        QTimer::singleShot(0, [] {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Settings"),
                            QStringLiteral("The settings cannot be read."), QMessageBox::Ok);
            QTimer::singleShot(100, [] { std::raise(SIGTERM); });
            box.exec();
        });
        // A run that does not end is ended here, boxes and all, and fails.
        bool timedOut = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&timedOut] {
            timedOut = true;
            QCoreApplication::exit(1);
            for (QWidget* open : QApplication::topLevelWidgets()) {
                if (open->isModal()) {
                    open->hide();
                }
            }
        });
        watchdog.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!timedOut);
        QVERIFY(window.Closed);
        QVERIFY(quitOnSignals.Asked());
    }

    void CodePage1252Conversion() {
        QCOMPARE(FromAnsi("Korvane\xAE"), QStringLiteral("Korvane\u00AE"));
        QCOMPARE(FromAnsi("\x80\x99\x9F"), QStringLiteral("\u20AC\u2122\u0178"));
        QCOMPARE(FromMessageText("caf\xC3\xA9"), QStringLiteral("caf\u00E9"));
        QCOMPARE(FromMessageText("caf\xE9"), QStringLiteral("caf\u00E9"));
    }

    // The preset editor's form: a list and a spin box over the values shown, Undo and Redo, a
    // name, a file saved whole, and no close without asking while edits are unsaved.
    void PresetEditorSetsUndoesRedoesAndSaves() {
        const std::string file = std::string(QVR_EXAMPLES_DIR) + "/presets/showcase.q3p";
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const auto config =
            std::make_shared<TQvrConfig>(std::string(QVR_EXAMPLES_DIR) + "/config/QVR3.cfg");
        TPresetEditor editor(ReadDump(bytes), 0, config);
        TCallLog log;
        TRecordingDialogs dialogs(log);
        TPresetEditDialog dialog(nullptr, dialogs, editor, QString::fromStdString(file));

        auto* const status = qobject_cast<QComboBox*>(dialog.ValueWidget("Compressor", "Status"));
        auto* const drive = qobject_cast<QSpinBox*>(dialog.ValueWidget("Stompbox", "Drive"));
        QVERIFY(status != nullptr && drive != nullptr);
        QCOMPARE(status->currentText(), QStringLiteral("On"));
        QCOMPARE(drive->text(), QStringLiteral("3.5"));
        QVERIFY(!dialog.UndoButton.isEnabled());
        status->setCurrentIndex(0);
        drive->stepBy(1);
        QCOMPARE(drive->text(), QStringLiteral("3.6"));
        QCOMPARE(editor.Edits().Values.size(), size_t{2});
        dialog.UndoButton.click();
        QCOMPARE(drive->text(), QStringLiteral("3.5"));
        QCOMPARE(editor.Edits().Values.size(), size_t{1});
        dialog.UndoButton.click();
        QVERIFY(editor.Edits().Empty());
        QCOMPARE(status->currentText(), QStringLiteral("On"));
        QVERIFY(!dialog.UndoButton.isEnabled());
        dialog.RedoButton.click();
        QCOMPARE(status->currentText(), QStringLiteral("Off"));
        dialog.NameEdit.setText(QStringLiteral("Glassy"));
        emit dialog.NameEdit.editingFinished();
        QCOMPARE(editor.Name(), std::string("Glassy"));

        // Saved: the header and the components message written anew, every other as it was.
        const QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("edited.q3p"));
        QVERIFY(dialog.SaveTo(saved));
        QVERIFY(!dialog.Unsaved());
        std::ifstream back(saved.toStdString(), std::ios::binary);
        const TDump original = ReadDump(bytes);
        const TDump edited = ReadDump(std::string((std::istreambuf_iterator<char>(back)), {}));
        QVERIFY(edited.Problem.empty());
        QCOMPARE(edited.Presets[0].Header.Name, std::string("Glassy"));
        QCOMPARE(edited.Messages.size(), original.Messages.size());
        std::vector<size_t> rewritten;
        for (size_t i = 0; i < original.Messages.size(); ++i) {
            if (edited.MessageBytes(i) != original.MessageBytes(i)) {
                rewritten.push_back(i);
            }
        }
        QCOMPARE(rewritten, (std::vector<size_t>{0, 1}));

        // Unsaved edits: closing asks, and the answer No keeps the form open.
        drive->stepBy(-1);
        QVERIFY(dialog.Unsaved());
        dialog.reject();
        QCOMPARE(log.back(), std::string("ask Edit Preset"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialogs.Answers = {true};
        dialog.reject();
        QCOMPARE(dialogs.Answers.size(), size_t{0});
    }
};

QVR_REGISTER_TEST(DialogsTest);

} // namespace qvr::test

#include "DialogsTest.moc"
