// File > Receive from Device and File > Send to Device in the whole viewer with the real web
// view, under an X server and a JACK server of the test's own (tests/support/with-jack.sh,
// QVR_MIDI_API=jack): a sender port plays an example backup; the MIDI dialog lists it, the
// receive window takes the dump, the view shows its report and the Save dialog stores the same
// bytes. The other way, the open example goes to qvrcapture once the user confirms the list.
// Last, a flood of broken messages ends the reception by itself, with one box.

#include "ExampleSettings.h"
#include "app/common/AnsiText.h"
#include "app/common/Dialogs.h"
#include "app/device/MIDIConfig.h"
#include "app/device/ReceiveDialog.h"
#include "app/report/ReportSource.h"
#include "app/report/WebReportView.h"
#include "app/shell/Disclaim.h"
#include "app/shell/Main.h"
#include "app/shell/Startup.h"
#include "midi/MidiPorts.h"
#include "platform/Regaccess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace qvr::test {

namespace {

const char* const Example = QVR_EXAMPLES_DIR "/presets/backup.q3a";
const char* const SenderPort = "qvr-send:out";
const char* const CapturePort = "qvrcapture:qvrcapture";

class TSilentNotifier : public IUserNotifier {
public:
    void ShowError(const std::string& text) override { Messages.push_back("error: " + text); }
    void ShowWarning(const std::string& text) override { Messages.push_back("warning: " + text); }
    std::vector<std::string> Messages;
};

// The most memory the process has held so far (VmHWM), in KiB.
long PeakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class ReceiveEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void ReceivesShowsSavesAndSendsBack() {
        QTemporaryDir folder;
        QVERIFY(UseExampleConfiguration(folder));
        TSilentNotifier notifier;
        int32_t columns = 4;
        const std::string expected = MakePresetReportSource(notifier)->Build(Example, columns);
        QVERIFY(notifier.Messages.empty());

        // The device: it waits until the viewer connects to its port, then plays the dump.
        QProcess sender;
        sender.setProcessChannelMode(QProcess::ForwardedChannels);
        sender.start(QStringLiteral(QVR_SEND_DUMP_PATH),
                     {QStringLiteral("--serve"), QString::fromLatin1(Example)});
        QVERIFY(sender.waitForStarted());

        TQtDialogs dialogs;
        TViewerForms forms(dialogs);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);

        // Plays the user: OK on the notice; the sender's port in the MIDI dialog, then OK;
        // waits in the receive window; names the file in the Save dialog.
        const QString saved = folder.filePath(QStringLiteral("got.q3a"));
        QStringList listed;
        QStringList questions;
        QStringList boxes;
        QString proposed;
        bool receiveShown = false;
        QTimer user;
        user.setInterval(50);
        connect(&user, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible()) {
                return;
            }
            if (modal == forms.FormSplash) {
                QTest::mouseClick(&forms.FormSplash->BtnOK, Qt::LeftButton);
            } else if (modal == forms.FormMIDI) {
                QComboBox& inputs = forms.FormMIDI->CBoxInMIDIDevice;
                for (int i = 0; i < inputs.count(); ++i) {
                    listed << inputs.itemText(i);
                }
                // Each item holds its port's name; a port gone meanwhile is marked so in its text.
                inputs.setCurrentIndex(inputs.findData(QString::fromLatin1(SenderPort)));
                QComboBox& outputs = forms.FormMIDI->CBoxOutMIDIDevice;
                outputs.setCurrentIndex(outputs.findData(QString::fromLatin1(CapturePort)));
                forms.FormMIDI->BtnOK.click();
            } else if (qobject_cast<TReceiveDialog*>(modal) != nullptr) {
                receiveShown = true;
            } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                if (questions.isEmpty()) {
                    // The first Save is cancelled.
                    QMetaObject::invokeMethod(files, "reject");
                    return;
                }
                // The name is typed into the dialog's name box, then OK.
                proposed = files->selectedFiles().value(0);
                auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (name == nullptr) {
                    QMetaObject::invokeMethod(files, "reject");
                    return;
                }
                name->setText(saved);
                QMetaObject::invokeMethod(files, "accept");
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                    questions << box->text();
                    yes->click();
                } else {
                    boxes << box->text();
                    box->accept();
                }
            }
        });
        user.start();

        main.show();
        QTRY_VERIFY_WITH_TIMEOUT(
            !main.ReportFileName().empty() && QApplication::activeModalWidget() == nullptr, 30000);
        main.Command("CmdMIDIDevices").trigger();
        QVERIFY2(listed.contains(QString::fromLatin1(SenderPort)),
                 qPrintable(listed.join(QLatin1Char(','))));

        QSignalSpy loaded(view->View().page(), &QWebEnginePage::loadFinished);
        main.Command("CmdReceive").trigger(); // returns once received, shown and saved
        user.stop();
        QVERIFY(receiveShown);
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "The received dump has not been saved, and it will be lost with "
                                "the next dump or when the viewer closes.\nSave it now?")});
        questions.clear();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(QLatin1Char('\n'))));
        QVERIFY2(proposed.endsWith(QStringLiteral("/QVR-3 Backup.q3a")), qPrintable(proposed));
        QCOMPARE(ReadAll(saved), ReadAll(QString::fromLatin1(Example)));
        QCOMPARE(main.CurrentFileName(), ToFileNameBytes(saved));
        QCOMPARE(ReadAll(QString::fromStdString(main.ReportFileName())).toStdString(), expected);

        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() >= 1, 30000);
        // The page is asked again until it shows the report: a load that finished may be the
        // page before it, whose text is asked for while the report replaces it.
        QString pageText;
        const auto pageShowsTheReport = [&] {
            view->View().page()->toPlainText([&](const QString& text) { pageText = text; });
            return pageText.contains(QStringLiteral("QVR-3"));
        };
        QTRY_VERIFY2_WITH_TIMEOUT(pageShowsTheReport(), qPrintable(pageText.left(200)), 30000);
        QVERIFY(sender.state() == QProcess::NotRunning || sender.waitForFinished(10000));
        QCOMPARE(sender.exitCode(), 0);

        // The way back: File > Send to Device sends the file shown to qvrcapture, chosen as the
        // MIDI output, once the user says Yes to the list; the progress window goes by itself.
        const QString back = folder.filePath(QStringLiteral("back.q3a"));
        QProcess capture;
        capture.setProcessChannelMode(QProcess::MergedChannels);
        capture.start(QStringLiteral(QVR_CAPTURE_PATH),
                      {QStringLiteral("--api"), QStringLiteral("jack"), back});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += capture.readAll()).contains("listening on"), 20000);
        user.start();
        main.Command("CmdMIDIDevices").trigger();
        main.Command("CmdSendToDevice").trigger(); // returns once the progress window has closed
        user.stop();
        // A box says that the whole went out.
        QCOMPARE(boxes, QStringList{QStringLiteral("Sent to '%1': 141 messages, 7187 bytes.")
                                        .arg(QString::fromLatin1(CapturePort))});
        boxes.clear();
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].startsWith(QStringLiteral("Send this to '%1'?\n\nQVR-3: 25 presets, "
                                                        "141 messages, 7187 bytes\n  #01  Clean 1")
                                             .arg(QString::fromLatin1(CapturePort))),
                 qPrintable(questions[0]));
        QVERIFY(capture.waitForFinished(30000));
        QCOMPARE(capture.exitCode(), 0);
        QCOMPARE(ReadAll(back), ReadAll(QString::fromLatin1(Example)));

        // A device gone mad: 16 MiB of messages cut off again and again, far more than the
        // idle time takes to send. The window ends by itself without a whole message, the
        // memory stays where it was, and one box tells what was dropped.
        QProcess flood;
        flood.setProcessChannelMode(QProcess::ForwardedChannels);
        flood.start(QStringLiteral(QVR_SEND_DUMP_PATH),
                    {QStringLiteral("--garbage"), QString::number(16 << 20),
                     QStringLiteral("--serve"), QString::fromLatin1(Example)});
        QVERIFY(flood.waitForStarted());
        const auto floodListed = [] {
            const std::vector<std::string> ports = ListInputPorts(TMidiApi::Jack);
            return std::find(ports.begin(), ports.end(), SenderPort) != ports.end();
        };
        QTRY_VERIFY_WITH_TIMEOUT(floodListed(), 20000);
        const long before = PeakKiB();
        receiveShown = false;
        user.start();
        main.Command("CmdReceive").trigger();
        user.stop();
        const long peak = PeakKiB();
        QVERIFY(receiveShown);
        QVERIFY2(flood.state() == QProcess::Running, "the flood ended before the reception");
        QCOMPARE(boxes.size(), 1);
        const QStringList lines = boxes[0].split(QLatin1Char('\n'));
        // A slow machine may not keep up with the flood: the events lost are told in one
        // line more.
        QVERIFY2(
            lines.size() == 2 ||
                (lines.size() == 3 &&
                 QRegularExpression(QStringLiteral("^MIDI input overrun: .*( \\(\\d+ times\\))?$"))
                     .match(lines[2])
                     .hasMatch()),
            qPrintable(boxes[0]));
        QCOMPARE(lines[0], QStringLiteral("No whole message arrived from the device."));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ incomplete system exclusive messages "
                                                   "dropped, the first after 2 bytes: a new "
                                                   "message started$"))
                     .match(lines[1])
                     .hasMatch(),
                 qPrintable(lines[1]));
        qInfo("peak memory before the flood %ld KiB, after %ld KiB", before, peak);
        QVERIFY2(peak - before < 64 * 1024, qPrintable(QString::number(peak - before)));
        QVERIFY(flood.waitForFinished(60000));
        main.close();
    }
};

} // namespace qvr::test

int main(int argc, char* argv[]) {
    qvr::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    qvr::test::ReceiveEndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReceiveEndToEndTest.moc"
