// Times the viewer showing a large backup file and reads its page renderer's memory: the first
// show (the notice answered at once), then the same file opened again and again, which must not
// make the renderer keep the earlier reports. Run by bench/viewer under a virtual X server.
//   qvrviewer_bench FILE CONFIG_FOLDER OPENS
// Prints one line per show and exits 1 when a report does not load or a message box comes up.
#include "app/common/Dialogs.h"
#include "app/report/WebReportView.h"
#include "app/shell/GraphicsCheck.h"
#include "app/shell/Main.h"
#include "app/shell/Startup.h"
#include "platform/Regaccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Answers every modal window (the notice) with OK and keeps the messages.
class TBenchDialogs : public qvr::TQtDialogs {
public:
    QStringList Messages;
    void ShowMessage(qvr::TMessageKind, const QString&, const QString& text) override {
        Messages << text;
    }
    void ShowMessageOver(QWidget&, qvr::TMessageKind kind, const QString& title,
                         const QString& text) override {
        ShowMessage(kind, title, text);
    }
    void RunModal(QDialog& dialog) override {
        QMetaObject::invokeMethod(
            &dialog, [&dialog] { dialog.accept(); }, Qt::QueuedConnection);
        dialog.exec();
    }
};

// A process's resident memory now and at its peak, in MB (0 when it cannot be read).
std::pair<long, long> MemoryMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    long rss = 0;
    long peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QByteArray kb = line.mid(6).trimmed().split(' ').value(0);
            if (line.startsWith("VmRSS:")) {
                rss = kb.toLong() / 1024;
            } else if (line.startsWith("VmHWM:")) {
                peak = kb.toLong() / 1024;
            }
        }
    }
    return {rss, peak};
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qvrviewer_bench FILE CONFIG_FOLDER OPENS\n");
        return 2;
    }
    const std::string file = argv[1];
    const int opens = std::atoi(argv[3]);
    qvr::PrepareWebEngineEnvironment();
    int qtArgc = 1;
    std::array<char*, 2> qtArgv = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv.data());
    qvr::ChooseQuickGraphics();

    // A settings store of its own, naming the configuration folder.
    const QTemporaryDir settings;
    qvr::SetRegistryLocation({settings.filePath(QStringLiteral("user.reg")).toStdString(),
                              settings.filePath(QStringLiteral("system.reg")).toStdString()});
    qvr::TRegAccess reg;
    reg.SetRootKey(qvr::TRegRoot::LocalMachine);
    if (!reg.OpenKey("Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE",
                     true)) {
        std::fprintf(stderr, "qvrviewer_bench: cannot write the settings store\n");
        return 1;
    }
    reg.WriteString("Path", std::string(argv[2]) + "/");

    TBenchDialogs dialogs;
    qvr::TViewerForms forms(dialogs);
    auto& view = dynamic_cast<qvr::TWebReportView&>(forms.FormMain->ReportView());
    int loads = 0;
    bool allLoaded = true;
    QObject::connect(&view, &qvr::TWebReportView::Loaded, &view, [&](bool ok) {
        ++loads;
        allLoaded = allLoaded && ok;
    });
    // Waits for the next report, a minute at most.
    const auto waitLoaded = [&] {
        const int before = loads;
        QElapsedTimer waited;
        waited.start();
        while (loads == before && waited.elapsed() < 60000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return loads > before && allLoaded && dialogs.Messages.isEmpty();
    };
    // The progress the status line showed during each show: how often it changed, and the
    // last text.
    int progressSteps = 0;
    QString progress;
    QObject::connect(&forms.FormMain->Report(), &qvr::TReportDocument::Loading, &view,
                     [&](const QString& text) {
                         if (text != progress) {
                             ++progressSteps;
                             progress = text;
                         }
                     });
    const auto report = [&](const char* what, qint64 ms) {
        const auto [rss, peak] = MemoryMb(view.View().page()->renderProcessPid());
        std::printf("%-12s %6.2f s   renderer %5ld MB (peak %5ld MB)   %s   progress %d: %s\n",
                    what, static_cast<double>(ms) / 1000, rss, peak,
                    qPrintable(forms.FormMain->StatusText()), progressSteps, qPrintable(progress));
        progressSteps = 0;
        progress.clear();
    };

    QElapsedTimer clock;
    clock.start();
    forms.FormMain->SetCommandLineFile(file);
    forms.FormMain->show();
    bool ok = waitLoaded();
    report("first show", clock.elapsed());
    for (int i = 0; ok && i < opens; ++i) {
        clock.restart();
        forms.FormMain->OpenPresetFile(file);
        ok = waitLoaded();
        report(("open " + std::to_string(i + 1)).c_str(), clock.elapsed());
    }
    if (!ok) {
        std::fprintf(stderr, "qvrviewer_bench: the report did not load%s%s\n",
                     dialogs.Messages.isEmpty() ? "" : ": ",
                     qPrintable(dialogs.Messages.join(QStringLiteral("; "))));
    }
    forms.FormMain->close();
    return ok ? 0 : 1;
}
