// The whole viewer with the real web view, under an X server: start with a
// backup file, close the notice, wait for the report, read what the page shows and
// compare it with the committed expected report. QVR_SCREENSHOT_DIR makes the test
// save pictures of the windows there.

#include "ExampleSettings.h"
#include "app/common/AnsiText.h"
#include "app/common/Dialogs.h"
#include "app/compare/CompareWindow.h"
#include "app/device/MIDIConfig.h"
#include "app/printing/PdfMaker.h"
#include "app/report/FindBar.h"
#include "app/report/ReportSource.h"
#include "app/report/WebReportView.h"
#include "app/shell/About.h"
#include "app/shell/Disclaim.h"
#include "app/shell/GraphicsCheck.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/Main.h"
#include "app/shell/Startup.h"
#include "base/LoadNotices.h"
#include "platform/Regaccess.h"
#include "tests/support/MessageBuilder.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWheelEvent>

#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace qvr::test {

namespace {

QElapsedTimer ProgramClock;

// The example the viewer shows, and its committed expected report in four columns.
const QString ExampleFile = QStringLiteral(QVR_EXAMPLES_DIR "/presets/backup.q3a");
const QString ExpectedReport = QStringLiteral(QVR_EXAMPLES_DIR "/expected/backup.q3a.html");

// The first preset heading and the first parameter line of a report document,
// as plain text.
QString Heading(const QString& document) {
    const QRegularExpression th(QStringLiteral("<th[^>]*>(.*?)</th>"));
    const auto match = th.match(document);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QString ParameterLine(const QString& document) {
    const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    for (QString line : document.split(QLatin1Char('\n'))) {
        line.remove(tag);
        line = line.trimmed();
        if (line.contains(QStringLiteral(" = ")) && !line.startsWith(QStringLiteral("Name = "))) {
            return line.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
        }
    }
    return {};
}

QPixmap ScreenPicture(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    return QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                        frame.height());
}

// What the screen shows where the widget is.
QImage OnScreen(QWidget& widget) {
    const QPoint at = widget.mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(widget.grab().toImage().format());
}

// With QVR_SCREENSHOT_DIR set, saves a picture of the window there once it has had a moment
// to paint (pictures only: nothing is checked on them).
void Save(const QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("QVR_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QTest::qWait(300);
        QDir().mkpath(folder);
        ScreenPicture(window).save(QDir(folder).filePath(name));
    }
}

// Writes `file` from a preset generator description, with these definitions (NAME=value).
bool Generate(const QString& description, const QStringList& definitions, const QString& file) {
    QStringList arguments;
    for (const QString& definition : definitions) {
        arguments << QStringLiteral("-D") << definition;
    }
    QProcess generator;
    generator.start(QStringLiteral(QVR_PRESETGEN), arguments << description << file);
    return generator.waitForFinished(60000) && generator.exitStatus() == QProcess::NormalExit &&
           generator.exitCode() == 0;
}

// Notes a value at the first show of the watched widget.
class TShowWatcher : public QObject {
public:
    explicit TShowWatcher(std::function<WId()> probe) : Probe(std::move(probe)) {}
    std::optional<WId> Seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !Seen) {
            Seen = Probe();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<WId()> Probe;
};

// A page renderer started by the process `root` (by its web engine, which may start it through
// a process of its own), else 0.
pid_t RendererUnder(qint64 root) {
    std::map<pid_t, pid_t> parents;
    std::vector<pid_t> renderers;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold anything but ends at the last ')'.
        const QByteArray line = stat.readAll();
        parents[pid] = line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toInt();
        if (command.readAll().contains("--type=renderer")) {
            renderers.push_back(pid);
        }
    }
    for (const pid_t renderer : renderers) {
        for (pid_t p = parents[renderer]; p > 1; p = parents[p]) {
            if (p == root) {
                return renderer;
            }
        }
    }
    return 0;
}

// Plays the user in place of the dialogs, so that nothing waits for a dialog to appear: the
// notice is shown and closed from its own event loop, every message is noted instead of shown,
// each Save dialog takes the next answer, the print dialog takes the printer as set up.
class TScriptedDialogs : public TQtDialogs {
public:
    struct TSaveAnswer {
        QString File;
        QString Filter;
    };
    QStringList Boxes;
    std::vector<TSaveAnswer> SaveAnswers;
    QString OpenAnswer;
    int UnansweredSaves = 0;
    // Runs while a modal window is on screen, before it is closed with OK.
    std::function<void(QDialog&)> OnModal;

    void ShowMessage(TMessageKind, const QString&, const QString& text) override { Boxes << text; }
    void ShowMessageOver(QWidget&, TMessageKind kind, const QString& title,
                         const QString& text) override {
        ShowMessage(kind, title, text);
    }
    void RunModal(QDialog& dialog) override {
        QMetaObject::invokeMethod(
            &dialog,
            [this, &dialog] {
                if (OnModal) {
                    OnModal(dialog);
                }
                dialog.accept();
            },
            Qt::QueuedConnection);
        dialog.exec();
    }
    bool RunOpenDialog(QWidget&, TOpenDialogState& state) override {
        state.FileName = OpenAnswer;
        return !OpenAnswer.isEmpty();
    }
    bool RunSaveDialog(QWidget&, TSaveDialogState& state) override {
        if (SaveAnswers.empty()) {
            ++UnansweredSaves;
            return false;
        }
        state.FileName = SaveAnswers.front().File;
        state.Filter = SaveAnswers.front().Filter;
        SaveAnswers.erase(SaveAnswers.begin());
        return true;
    }
    bool RunPrintDialog(QWidget&, QPrinter&) override { return true; }
};

// The viewer as the user starts it, the scripted user in place of the dialogs.
struct TViewer {
    // `partBytes`: a report larger than this is shown in parts.
    explicit TViewer(size_t partBytes = ReportPartBytes) : Forms(User, partBytes) {}
    TScriptedDialogs User;
    TViewerForms Forms;
    TFormMain& Main = *Forms.FormMain;
    TWebReportView& View = dynamic_cast<TWebReportView&>(Main.ReportView());
    QSignalSpy Loaded{&View, &TWebReportView::Loaded};

    // Starts with `file` and waits for its report.
    bool Show(const QString& file) {
        Main.SetCommandLineFile(ToFileNameBytes(file));
        Main.show();
        return Loaded.wait(120000);
    }
    ~TViewer() { Main.close(); }
};

} // namespace

// The report page with its navigation filter open to the test.
class TOpenReportPage : public TReportPage {
public:
    using TReportPage::acceptNavigationRequest;
    using TReportPage::TReportPage;
};

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    // The notice is kept above the main window by the window system only while
    // the main window it names is the one on screen: the web view must not make
    // the main window swap its native window once it has been shown.
    void MainWindowKeepsItsNativeWindowWhenTheViewStartsDrawing() {
        QTemporaryDir settings;
        SetRegistryLocation({settings.filePath(QStringLiteral("user.reg")).toStdString(),
                             settings.filePath(QStringLiteral("system.reg")).toStdString()});
        TQtDialogs dialogs;
        TViewerForms forms(dialogs);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);
        // The main window's native window at the moment the notice appears.
        TShowWatcher watcher([&] { return main.winId(); });
        forms.FormSplash->installEventFilter(&watcher);
        // The user reads the notice for a moment, then presses OK.
        QTimer user;
        user.setInterval(300);
        connect(&user, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() == forms.FormSplash) {
                QTest::mouseClick(&forms.FormSplash->BtnOK, Qt::LeftButton);
            }
        });
        user.start();
        QSignalSpy loaded(view->View().page(), &QWebEnginePage::loadFinished);
        QTemporaryFile empty; // a file without presets: a report without messages
        QVERIFY(empty.open());
        main.SetCommandLineFile(ToFileNameBytes(empty.fileName()));
        main.show();
        QVERIFY(loaded.wait(30000));
        // The view draws through a child widget of its own; once that is on screen, any swap
        // of the main window's native window would have happened.
        QTRY_VERIFY_WITH_TIMEOUT(
            view->View().focusProxy() != nullptr && view->View().focusProxy()->isVisible(), 10000);
        QVERIFY(watcher.Seen.has_value());
        QCOMPARE(main.winId(), *watcher.Seen);
        user.stop();
        main.close();
    }

    // On its own, without the request guard: only the report file, in the main frame, and
    // only when the program loads it.
    void NavigationFilterLetsThroughTheReportFileAlone() {
        QWebEngineProfile profile;
        QUrl reportUrl;
        TOpenReportPage page(profile, reportUrl);
        const QUrl report = QUrl::fromLocalFile(QStringLiteral("/run/oktrel/v-1/__tmp__.html"));
        const QUrl other = QUrl::fromLocalFile(QStringLiteral("/etc/hostname"));
        QVERIFY(!page.acceptNavigationRequest(report, QWebEnginePage::NavigationTypeTyped, true));
        reportUrl = report;
        struct TCase {
            QUrl Url;
            QWebEnginePage::NavigationType Type;
            bool MainFrame;
            bool Accepted;
        };
        const TCase cases[] = {
            {report, QWebEnginePage::NavigationTypeTyped, true, true},
            {report, QWebEnginePage::NavigationTypeReload, true, true},
            {QUrl(report.toString() + QStringLiteral("#p2")), QWebEnginePage::NavigationTypeTyped,
             true, true},
            {report, QWebEnginePage::NavigationTypeTyped, false, false},
            {report, QWebEnginePage::NavigationTypeLinkClicked, true, false},
            {report, QWebEnginePage::NavigationTypeFormSubmitted, true, false},
            {other, QWebEnginePage::NavigationTypeTyped, true, false},
            {QUrl(QStringLiteral("https://example.org/")), QWebEnginePage::NavigationTypeTyped,
             true, false},
            {QUrl(QStringLiteral("data:text/html,x")), QWebEnginePage::NavigationTypeRedirect, true,
             false},
        };
        for (const TCase& c : cases) {
            QVERIFY2(
                page.acceptNavigationRequest(c.Url, c.Type, c.MainFrame) == c.Accepted,
                qPrintable(c.Url.toString() + QStringLiteral(" type ") + QString::number(c.Type)));
        }
    }

    // A file with thousands of the same fault: one box, the report, the count in the status line.
    void AWarningFloodShowsOneBoxAndItsCountInTheStatusLine() {
        QTemporaryDir work;
        const QString file = work.filePath(QStringLiteral("flood.q3a"));
        QVERIFY(Generate(QStringLiteral(QVR_TEST_DIR "/warning-flood.txt"),
                         {QStringLiteral("PRESETS=2000"), QStringLiteral("BAD=1636")}, file));
        QVERIFY(UseExampleConfiguration(work));

        TScriptedDialogs user;
        TViewerForms forms(user);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);
        QSignalSpy loaded(view->View().page(), &QWebEnginePage::loadFinished);
        main.SetCommandLineFile(ToFileNameBytes(file));
        main.show();
        QVERIFY(loaded.wait(120000));
        QCOMPARE(user.Boxes.size(), 1);
        QVERIFY2(user.Boxes[0].startsWith(
                     QStringLiteral("preset 1: Exp, LFO, or Control Switch link is out of range.")),
                 qPrintable(user.Boxes[0]));
        QCOMPARE(main.StatusText(),
                 QStringLiteral("flood.q3a \u2014 QVR-3 \u2014 2000 presets \u2014 5636 warnings"));
        QString pageText;
        view->View().page()->toPlainText([&](const QString& text) { pageText = text; });
        QTRY_VERIFY_WITH_TIMEOUT(pageText.contains(QStringLiteral("Flood 1999")), 30000);
        main.close();
    }

    // F5 on a report that takes a while to load: the view is back at its place as soon as the
    // content reaches it, stays there for the rest of the load, and ends there.
    void ReloadOfALargeReportKeepsItsPlaceWhileItLoads() {
        QTemporaryDir work;
        const QString file = work.filePath(QStringLiteral("large.q3a"));
        QVERIFY(Generate(QStringLiteral(QVR_TEST_DIR "/../../bench/large-backup.txt"),
                         {QStringLiteral("PRESETS=1500")}, file));
        QVERIFY(UseExampleConfiguration(work));
        // Shown as one page, however large: a page that takes a while to load.
        TViewer viewer(64 * 1024 * 1024);
        QVERIFY(viewer.Show(file));
        TFormMain& main = viewer.Main;
        QWebEnginePage* page = viewer.View.View().page();
        QSignalSpy& loaded = viewer.Loaded;
        // At a zoom of its own, which the new document takes on as it loads.
        main.Command("CmdZoomIn").trigger();
        QTRY_COMPARE_WITH_TIMEOUT(page->zoomFactor(), 1.1, 10000);
        int place = 40000;
        // The view's place, sampled all along: whether the document marked before F5 still
        // shows, the place, whether the load had ended.
        struct TSample {
            bool Old;
            int Y;
            bool AfterLoad;
        };
        const auto samples = std::make_shared<std::vector<TSample>>();
        const auto done = std::make_shared<bool>(false);
        QTimer sampler;
        sampler.setInterval(10);
        connect(&sampler, &QTimer::timeout, &sampler, [page, samples, done] {
            page->runJavaScript(
                QStringLiteral("[window.qvrFirst === true, Math.round(window.scrollY)]"),
                QWebEngineScript::ApplicationWorld, [samples, done](const QVariant& answer) {
                    const QVariantList at = answer.toList();
                    if (at.size() == 2) {
                        samples->push_back({at[0].toBool(), at[1].toInt(), *done});
                    }
                });
        });
        sampler.start();
        // Marks the document shown, scrolls it to the place, then F5.
        const auto reloadAtPlace = [&] {
            *done = false;
            loaded.clear();
            if (!QTest::qWaitFor(
                    [&] {
                        page->runJavaScript(
                            QStringLiteral("window.qvrFirst = true; window.scrollTo(0, %1);")
                                .arg(place),
                            QWebEngineScript::ApplicationWorld);
                        return !samples->empty() && samples->back().Old &&
                               samples->back().Y == place;
                    },
                    60000)) {
                return false;
            }
            samples->clear();
            main.Command("CmdReload").trigger();
            return true;
        };
        const auto isNewAtPlace = [&place](const TSample& s) { return !s.Old && s.Y == place; };
        QVERIFY(reloadAtPlace());
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 120000);
        *done = true;
        QTRY_VERIFY_WITH_TIMEOUT(samples->back().AfterLoad && isNewAtPlace(samples->back()), 60000);
        const auto reached = std::ranges::find_if(*samples, isNewAtPlace);
        QVERIFY2(!reached->AfterLoad,
                 qPrintable(QStringLiteral("%1 samples").arg(samples->size())));
        QVERIFY(std::none_of(reached, samples->end(), [](const TSample& s) { return s.Y == 0; }));

        // A user who scrolls while it loads has the last word.
        QVERIFY(reloadAtPlace());
        QTRY_VERIFY_WITH_TIMEOUT(!samples->empty() && isNewAtPlace(samples->back()), 60000);
        QTest::keyClick(viewer.View.View().focusProxy(), Qt::Key_Home);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 120000);
        *done = true;
        QTRY_VERIFY_WITH_TIMEOUT(samples->back().AfterLoad && samples->back().Y == 0, 60000);

        // F5 again before the content has reached the place (set deep in the report, which
        // the content reaches late): the place being returned to holds, not the point the
        // content has come to.
        const auto deep = std::make_shared<int>(0);
        page->runJavaScript(QStringLiteral("Math.floor((document.documentElement.scrollHeight"
                                           " - window.innerHeight) * 0.9 / 10) * 10"),
                            QWebEngineScript::ApplicationWorld,
                            [deep](const QVariant& height) { *deep = height.toInt(); });
        QTRY_VERIFY_WITH_TIMEOUT(*deep > place, 60000);
        place = *deep;
        QVERIFY(reloadAtPlace());
        QTRY_VERIFY_WITH_TIMEOUT(
            !samples->empty() && !samples->back().Old && samples->back().Y < place, 60000);
        QVERIFY(loaded.isEmpty());
        main.Command("CmdReload").trigger();
        QTRY_VERIFY_WITH_TIMEOUT(
            std::ranges::any_of(loaded,
                                [](const QList<QVariant>& args) { return args.value(0).toBool(); }),
            120000);
        *done = true;
        QTRY_VERIFY_WITH_TIMEOUT(samples->back().AfterLoad && isNewAtPlace(samples->back()), 60000);
        QVERIFY(viewer.User.Boxes.isEmpty());
    }

    // A file rewritten by a slow writer, three pieces 0.6 s apart with the file open all along:
    // read once, when the writer has closed it, without a message about a half-written file.
    void AFileWrittenInSlowPiecesIsReloadedOnceComplete() {
        QTemporaryDir work;
        const QString file = work.filePath(QStringLiteral("slow.q3a"));
        const QString written = work.filePath(QStringLiteral("written.q3a"));
        QVERIFY(QFile::copy(ExampleFile, file));
        QVERIFY(Generate(QStringLiteral(QVR_TEST_DIR "/../../bench/large-backup.txt"),
                         {QStringLiteral("PRESETS=30")}, written));
        QFile source(written);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray content = source.readAll();
        QVERIFY(UseExampleConfiguration(work));
        TViewer viewer;
        QVERIFY(viewer.Show(file));
        // Each document counts the program's calls of the renderer's garbage collector, which
        // frees the earlier reports: the counting goes in before the page's own scripts.
        QWebEngineScript counter;
        counter.setInjectionPoint(QWebEngineScript::DocumentCreation);
        counter.setWorldId(QWebEngineScript::ApplicationWorld);
        counter.setSourceCode(QStringLiteral(
            "window.qvrCollected = 0; if (typeof gc === 'function') { const collect = gc; "
            "window.gc = function () { ++window.qvrCollected; collect(); }; }"));
        QWebEnginePage* const page = viewer.View.View().page();
        const QList<QWebEngineScript> own = page->scripts().toList();
        page->scripts().clear();
        page->scripts().insert(counter);
        page->scripts().insert(own);
        viewer.Loaded.clear();
        {
            QFile writer(file);
            QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (int piece = 0; piece < 3; ++piece) {
                const qsizetype from = content.size() * piece / 3;
                writer.write(content.mid(from, content.size() * (piece + 1) / 3 - from));
                QVERIFY(writer.flush());
                QTest::qWait(600); // the writer's pause, not a wait on the viewer
            }
            QCOMPARE(viewer.Loaded.size(), 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(viewer.Loaded.size(), 1, 30000);
        const auto text = std::make_shared<QString>(); // the answer may outlive the test
        page->toPlainText([text](const QString& t) { *text = t; });
        QTRY_VERIFY_WITH_TIMEOUT(text->contains(QStringLiteral("Bench & <29>")), 10000);
        const auto collected = std::make_shared<int>(-1);
        page->runJavaScript(QStringLiteral("window.qvrCollected"),
                            QWebEngineScript::ApplicationWorld,
                            [collected](const QVariant& count) { *collected = count.toInt(); });
        QTRY_VERIFY_WITH_TIMEOUT(*collected >= 0, 10000);
        QCOMPARE(*collected, 1);
        QVERIFY2(viewer.User.Boxes.isEmpty(), qPrintable(viewer.User.Boxes.join('\n')));
        QCOMPARE(viewer.Loaded.size(), 1);
    }

    // Modules before a file's first preset header get no heading in the report: the report
    // source counts them apart from the presets it lists, as the library counts them as one.
    void TheReportSourceCountsTheModulesBeforeTheFirstHeader() {
        QTemporaryDir work;
        QVERIFY(UseExampleConfiguration(work));
        QFile description(work.filePath(QStringLiteral("headless.txt")));
        QVERIFY(description.open(QIODevice::WriteOnly));
        description.write("product QVR-3\ncomponents\ncomponent 1 type=1 values=0,24,0\n"
                          "preset 3 \"After\"\ncomponents\ncomponent 1 type=1 values=0,24,0\n");
        description.close();
        const QString file = work.filePath(QStringLiteral("headless.q3p"));
        QVERIFY(Generate(description.fileName(), {}, file));
        struct TNotes : IUserNotifier {
            QStringList Texts;
            void ShowError(const std::string& text) override { Texts << text.c_str(); }
            void ShowWarning(const std::string& text) override { Texts << text.c_str(); }
        } notes;
        const std::unique_ptr<IReportSource> source = MakePresetReportSource(notes);
        int32_t columns = 4;
        QVERIFY(!source->Build(ToFileNameBytes(file), columns).empty());
        QVERIFY2(notes.Texts.isEmpty(), qPrintable(notes.Texts.join('\n')));
        QCOMPARE(source->LastPresetsWithoutHeading(), 1);
        QCOMPARE(source->LastPresets().size(), size_t{1});
        QVERIFY(source->LastPresets()[0].Number == 3);
    }

    // The viewer's boxes name the preset a message was met in, as qvrreport does.
    void TheReportSourceNamesThePresetOfAMessage() {
        QTemporaryDir work;
        QVERIFY(UseExampleConfiguration(work));
        const QString file = work.filePath(QStringLiteral("mixed.q3p"));
        QFile bytes(file);
        QVERIFY(bytes.open(QIODevice::WriteOnly));
        const std::string data = Msg(0x21).Product(0x5A).Body({0, 0, 0, 'A', 0, 0, 0, 0, 0}).Str() +
                                 Msg(0x0B).Product(0x5A).Body({1}).Str() +
                                 Msg(0x21).Product(0x57).Body({1}).Str();
        bytes.write(data.data(), static_cast<qint64>(data.size()));
        bytes.close();
        struct TNotes : IUserNotifier {
            QStringList Texts;
            void ShowError(const std::string& text) override { Texts << text.c_str(); }
            void ShowWarning(const std::string& text) override { Texts << text.c_str(); }
        } notes;
        TLoadNotices notices(notes);
        const std::unique_ptr<IReportSource> source = MakePresetReportSource(notices);
        int32_t columns = 1;
        source->Build(ToFileNameBytes(file), columns);
        QCOMPARE(notes.Texts,
                 QStringList{QStringLiteral("preset 1: Inconsistent product Id's in file")});
    }

    void ShowsTheReportOfABackupFile() {
        const QString file = ExampleFile;
        QVERIFY2(QFile::exists(file), qPrintable(file));
        QTemporaryDir settings;
        QVERIFY(UseExampleConfiguration(settings));

        // What the page must show: the committed expected report of the file.
        QFile expected(ExpectedReport);
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(ExpectedReport));
        const std::string expectedDocument = expected.readAll().toStdString();
        const QString document = FromAnsi(expectedDocument);
        const QString heading = Heading(document);
        const QString parameter = ParameterLine(document);
        QVERIFY(!heading.isEmpty());
        QVERIFY(!parameter.isEmpty());

        // Plays the user: OK on the notice; any message box is a failure.
        TScriptedDialogs user;
        TViewerForms forms(user);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);
        bool noticeShown = false;
        bool loadedBeforeNotice = false;
        qint64 noticeMs = 0;
        QStringList& boxes = user.Boxes;
        user.OnModal = [&](QDialog& dialog) {
            if (&dialog == forms.FormSplash && !noticeShown) {
                noticeShown = dialog.isVisible();
                loadedBeforeNotice = !main.CurrentFileName().empty();
                noticeMs = ProgramClock.elapsed();
                Save(dialog, QStringLiteral("notice.png"));
            } else {
                Save(dialog, dialog.objectName() + QStringLiteral(".png"));
            }
        };

        QString pageText;
        QEventLoop loop;
        const QMetaObject::Connection first =
            connect(view->View().page(), &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
                if (!ok) {
                    loop.quit();
                    return;
                }
                view->View().page()->toPlainText([&loop, &pageText](const QString& text) {
                    pageText = text;
                    loop.quit();
                });
            });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);

        main.SetCommandLineFile(ToFileNameBytes(file));
        main.show();
        loop.exec();
        // Only the first report is read this way: later loads ask nothing of the page here.
        disconnect(first);
        const qint64 shownMs = ProgramClock.elapsed();
        std::printf("start-up to a shown report: %lld ms (notice closed at %lld ms)\n",
                    static_cast<long long>(shownMs), static_cast<long long>(noticeMs));

        QVERIFY(noticeShown);
        QVERIFY(!loadedBeforeNotice);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(QLatin1Char('\n'))));
        QCOMPARE(main.windowTitle(), QStringLiteral("Oktrel(tm) Preset Viewer"));
        QCOMPARE(main.StatusText(),
                 QStringLiteral("backup.q3a \u2014 QVR-3 \u2014 25 presets \u2014 0 warnings"));
        QVERIFY2(pageText.contains(heading), qPrintable(heading));
        QVERIFY2(pageText.contains(parameter), qPrintable(parameter));
        QVERIFY(main.Command("CmdPrint").isEnabled() && main.Command("CmdSaveAs").isEnabled());

        // The report file is the document byte for byte.
        QFile report(QString::fromStdString(main.ReportFileName()));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(report.readAll().toStdString(), expectedDocument);
        report.close();

        // The presets panel lists the 25 presets; choosing #12 puts its heading at the top.
        TPresetsPanel& panel = main.PresetsPanel();
        QCOMPARE(panel.List.count(), 25);
        QCOMPARE(panel.List.item(11)->text().left(4), QStringLiteral("#12 "));
        panel.List.itemClicked(panel.List.item(11));
        // The answer outlives this test: a page may answer after an early return.
        const auto top = std::make_shared<QString>();
        const auto askTop = [&] {
            view->View().page()->runJavaScript(
                QStringLiteral("(function() { for (const h of document.querySelectorAll('th')) {"
                               " const r = h.getBoundingClientRect();"
                               " if (r.bottom > 0) { return Math.round(r.top) + ' ' +"
                               " h.textContent; } } return ''; })()"),
                QWebEngineScript::ApplicationWorld,
                [top](const QVariant& answer) { *top = answer.toString(); });
            return *top;
        };
        QTRY_COMPARE_WITH_TIMEOUT(askTop(), QStringLiteral("0 QVR-3 Preset #12"), 10000);

        // A column item reads the file again and the view shows the new report.
        QSignalSpy reloaded(view->View().page(), &QWebEnginePage::loadFinished);
        main.Command("Cmd2Col").trigger();
        QVERIFY(reloaded.wait(30000));
        QString shownHtml;
        view->View().page()->toHtml([&](const QString& html) { shownHtml = html; });
        QTRY_VERIFY_WITH_TIMEOUT(shownHtml.contains(QStringLiteral("colspan=\"2\"")), 10000);
        QVERIFY(!shownHtml.contains(QStringLiteral("colspan=\"4\"")));
        main.Command("Cmd4Col").trigger();
        QVERIFY(reloaded.wait(30000));

        // Links in the report are not followed, and nothing else can be loaded.
        const QUrl shown = view->View().url();
        QSignalSpy refused(view->View().page(), &QWebEnginePage::loadFinished);
        view->View().page()->load(QUrl(QStringLiteral("file:///etc/hostname")));
        QVERIFY(refused.wait(30000));
        QCOMPARE(refused.takeFirst().at(0).toBool(), false);
        QCOMPARE(view->View().url(), shown);

        // Save As: HTML is the document byte for byte; PDF is a printed page.
        QTemporaryDir saved;
        const QString htmlType = QStringLiteral("HTML document (*.html *.htm)");
        user.SaveAnswers = {{saved.filePath(QStringLiteral("report.html")), htmlType}};
        main.Command("CmdSaveAs").trigger();
        QFile html(saved.filePath(QStringLiteral("report.html")));
        QVERIFY(html.open(QIODevice::ReadOnly));
        QCOMPARE(html.readAll().toStdString(), expectedDocument);

        QSignalSpy pdfDone(view, &TWebReportView::PdfSaved);
        user.SaveAnswers = {
            {saved.filePath(QStringLiteral("report.pdf")), QStringLiteral("PDF document (*.pdf)")}};
        main.Command("CmdSaveAs").trigger();
        QVERIFY(pdfDone.wait(30000));
        QCOMPARE(pdfDone.takeFirst().at(1).toBool(), true);
        QFile pdf(saved.filePath(QStringLiteral("report.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        // Both saved files get the mode of any new file of the user.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        for (const QString& name : {QStringLiteral("report.html"), QStringLiteral("report.pdf")}) {
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(saved.filePath(name)).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0666 & ~mask);
        }

        // Print to a PDF file: the web view's PDF with its text, not page pictures.
        const QString printed = saved.filePath(QStringLiteral("printed.pdf"));
        view->PagePrinter().setOutputFormat(QPrinter::PdfFormat);
        view->PagePrinter().setOutputFileName(printed);
        QSignalSpy printDone(view, &TWebReportView::Printed);
        main.Command("CmdPrint").trigger();
        QVERIFY(printDone.wait(30000));
        QCOMPARE(printDone.takeFirst().at(0).toBool(), true);
        QVERIFY2(QFileInfo(printed).size() > 0 && QFileInfo(printed).size() < 1000000,
                 qPrintable(QString::number(QFileInfo(printed).size())));
        QProcess pdfText;
        pdfText.start(QStringLiteral("pdftotext"), {printed, QStringLiteral("-")});
        QVERIFY(pdfText.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdfText.readAllStandardOutput());
        for (const QString& name : {QStringLiteral("Clean 1"), QStringLiteral("Crunch & Co 3"),
                                    QStringLiteral("Lead 6"), QStringLiteral("Scratch & <Test>")}) {
            QVERIFY2(text.contains(name), qPrintable(name));
        }

        // Find: the web view's own search, its count in the bar.
        main.Command("CmdFind").trigger();
        TFindBar& find = main.FindBar();
        QVERIFY(find.isVisible());
        QTest::keyClicks(&find.Text, QStringLiteral("Dual <"));
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("1 of 6"), 10000);
        QTest::keyClick(&find.Text, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("2 of 6"), 10000);
        QTest::keyClick(&find.Text, Qt::Key_Return, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("1 of 6"), 10000);
        // Match case searches again at once.
        find.Text.setText(QStringLiteral("dual <"));
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("1 of 6"), 10000);
        find.MatchCase.setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("No matches"), 10000);
        find.MatchCase.setChecked(false);
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("1 of 6"), 10000);
        find.MatchCase.setChecked(true);
        QTest::keyClicks(&find.Text, QStringLiteral("x"));
        QTRY_COMPARE_WITH_TIMEOUT(find.Count.text(), QStringLiteral("No matches"), 10000);
        QTest::keyClick(&find.Text, Qt::Key_Escape);
        QVERIFY(find.isHidden());

        // Reload (F5) reads the file again and keeps the place in the report.
        // The place is asked of the page itself (the view's own idea of it lags behind).
        // Each answer belongs to the document it was asked of; answers of an older one drop.
        struct TScrollProbe {
            int Document = 0;
            int Y = -1;
        };
        const auto probe = std::make_shared<TScrollProbe>();
        const auto askScrollY = [page = view->View().page(), probe] {
            const int document = probe->Document;
            page->runJavaScript(QStringLiteral("window.scrollY"),
                                QWebEngineScript::ApplicationWorld,
                                [probe, document](const QVariant& y) {
                                    if (document == probe->Document) {
                                        probe->Y = y.toInt();
                                    }
                                });
            return probe->Y;
        };
        view->View().page()->runJavaScript(QStringLiteral("window.scrollTo(0, 1500);"),
                                           QWebEngineScript::ApplicationWorld);
        QTRY_COMPARE_WITH_TIMEOUT(askScrollY(), 1500, 10000);
        QSignalSpy reloadedAgain(view->View().page(), &QWebEnginePage::loadFinished);
        main.Command("CmdReload").trigger();
        QVERIFY(reloadedAgain.wait(30000));
        *probe = {probe->Document + 1, -1};
        QTRY_COMPARE_WITH_TIMEOUT(askScrollY(), 1500, 10000);

        // Save As never replaces a file the report is made of: the shown file is refused.
        const QString shownCopy = saved.filePath(QStringLiteral("shown.q3a"));
        QVERIFY(QFile::copy(file, shownCopy));
        main.LoadPresetFile(ToFileNameBytes(shownCopy));
        QVERIFY(reloaded.wait(30000));
        // Another file starts at its top.
        *probe = {probe->Document + 1, -1};
        QTRY_COMPARE_WITH_TIMEOUT(askScrollY(), 0, 10000);
        user.SaveAnswers = {{shownCopy, htmlType}};
        main.Command("CmdSaveAs").trigger();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.constFirst().contains(QStringLiteral("input file")), qPrintable(boxes[0]));
        boxes.clear();
        QFile original(file);
        QFile copy(shownCopy);
        QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());

        // A page renderer that ends (here killed) while the report is shown: a message, and the
        // report is shown again where it was read.
        {
            *probe = {probe->Document + 1, -1};
            view->View().page()->runJavaScript(QStringLiteral("window.scrollTo(0, 1200);"),
                                               QWebEngineScript::ApplicationWorld);
            QTRY_COMPARE_WITH_TIMEOUT(askScrollY(), 1200, 10000);
            QTest::qWait(1500); // the view asks the place of a shown report twice a second
            QSignalSpy shownAgain(view, &TWebReportView::Loaded);
            QVERIFY(::kill(static_cast<pid_t>(view->View().page()->renderProcessPid()), SIGKILL) ==
                    0);
            QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 30000);
            QVERIFY2(boxes[0].startsWith(QStringLiteral("The page renderer of the report view was "
                                                        "stopped (killed, perhaps for want of "
                                                        "memory). It has been started again")),
                     qPrintable(boxes[0]));
            boxes.clear();
            QTRY_VERIFY_WITH_TIMEOUT(!shownAgain.isEmpty(), 30000);
            QVERIFY(shownAgain.takeFirst().at(0).toBool());
            *probe = {probe->Document + 1, -1};
            QTRY_COMPARE_WITH_TIMEOUT(askScrollY(), 1200, 10000);
        }
        // The renderer that makes a print ends: the print fails and leaves no file; the window
        // goes on showing reports.
        {
            const QString lost = saved.filePath(QStringLiteral("lost.pdf"));
            view->PagePrinter().setOutputFileName(lost);
            QSignalSpy printFailed(view, &TWebReportView::Printed);
            main.Command("CmdPrint").trigger();
            // Caught at once and held still, so that the PDF cannot be done first.
            const auto maker = static_cast<pid_t>(view->PdfMakerProcess());
            QVERIFY(maker > 0);
            pid_t renderer = 0;
            for (QDeadlineTimer deadline(30000); renderer == 0 && !deadline.hasExpired();
                 QTest::qWait(5)) {
                renderer = RendererUnder(maker);
            }
            QVERIFY(renderer > 0);
            QVERIFY(::kill(maker, SIGSTOP) == 0);
            QVERIFY(::kill(renderer, SIGKILL) == 0);
            QVERIFY(::kill(maker, SIGCONT) == 0);
            QVERIFY(printFailed.wait(30000));
            QCOMPARE(printFailed.takeFirst().at(0).toBool(), false);
            QVERIFY(!QFile::exists(lost));
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].startsWith(QStringLiteral("The report could not be printed: the "
                                                        "page renderer")),
                     qPrintable(boxes[0]));
            boxes.clear();
            QSignalSpy shownAgain(view, &TWebReportView::Loaded);
            main.Command("CmdReload").trigger();
            QVERIFY(shownAgain.wait(30000));
            QVERIFY(shownAgain.takeFirst().at(0).toBool());
        }

        // Select All then Copy puts the report's text on the clipboard.
        QApplication::clipboard()->clear();
        // The user works in the window: it is the active one (no window manager here).
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.Command("CmdSelectAll").trigger();
        QTRY_VERIFY_WITH_TIMEOUT(view->View().page()->selectedText().contains(parameter), 10000);
        main.Command("CmdCopy").trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::clipboard()->text().contains(heading), 10000);

        // Ctrl+wheel zooms as Zoom In and Out do, and the zoom holds for the next report.
        {
            QWidget* page = view->View().focusProxy();
            QVERIFY(page != nullptr);
            QWheelEvent wheel(QPointF(20, 20), page->mapToGlobal(QPointF(20, 20)), QPoint(),
                              QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(page, &wheel);
            QVERIFY2(main.ZoomPercent() > 100, qPrintable(QString::number(main.ZoomPercent())));
            QSignalSpy reloaded(view, &TWebReportView::Loaded);
            main.Command("CmdReload").trigger();
            QVERIFY(reloaded.wait(30000));
            QTRY_COMPARE_WITH_TIMEOUT(view->View().page()->zoomFactor(), main.ZoomPercent() / 100.0,
                                      10000);
            main.Command("CmdActualSize").trigger();
        }

        Save(main, QStringLiteral("main.png"));
        QCOMPARE(user.UnansweredSaves, 0);
        if (!qEnvironmentVariableIsEmpty("QVR_SCREENSHOT_DIR")) {
            TakeDialogPictures(main);
        }

        main.close();
        QVERIFY(!QFile::exists(QString::fromStdString(main.ReportFileName())));
        TRegAccess reg;
        QVERIFY(reg.OpenKey("Software\\Brindmoor\\QVRviewer", false));
        QCOMPARE(reg.ReadIntegerDefault("ColCount", 0), 4);
    }

    // With no private folder to be had the report is shown from memory, and the user is told.
    void WithoutAPrivateFolderTheReportIsShownFromMemory() {
        QTemporaryDir settings;
        QVERIFY(UseExampleConfiguration(settings));
        const QByteArray saved[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("XDG_CACHE_HOME"),
                                    qgetenv("TMPDIR")};
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "TMPDIR"}) {
            qputenv(name, "/dev/null/base"); // under a file: never a folder
        }
        TScriptedDialogs user;
        TViewerForms forms(user);
        qputenv("XDG_RUNTIME_DIR", saved[0]);
        qputenv("XDG_CACHE_HOME", saved[1]);
        qputenv("TMPDIR", saved[2]);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);
        QSignalSpy loaded(view, &TWebReportView::Loaded);
        main.SetCommandLineFile(ToFileNameBytes(ExampleFile));
        main.show();
        QVERIFY(loaded.wait(60000));
        QVERIFY(loaded.takeFirst().at(0).toBool());
        QVERIFY(main.ReportFileName().empty());
        QCOMPARE(user.Boxes.size(), 1);
        QVERIFY2(user.Boxes[0].startsWith(QStringLiteral("The report is shown from memory: no "
                                                         "private folder for it could be made")),
                 qPrintable(user.Boxes[0]));
        QString text;
        view->View().page()->toPlainText([&text](const QString& t) { text = t; });
        QTRY_VERIFY_WITH_TIMEOUT(text.contains(QStringLiteral("Scratch & <Test>")), 10000);
        QCOMPARE(main.StatusText(),
                 QStringLiteral("backup.q3a \u2014 QVR-3 \u2014 25 presets \u2014 0 warnings"));
        main.close();
    }

    // File > Compare With... shows the comparison of the open backup with another
    // example file in a window of its own.
    void ShowsTheComparisonOfTwoExampleFiles() {
        QTemporaryDir settings;
        SetRegistryLocation({settings.filePath(QStringLiteral("user.reg")).toStdString(),
                             settings.filePath(QStringLiteral("system.reg")).toStdString()});
        {
            TRegAccess reg;
            reg.SetRootKey(TRegRoot::LocalMachine);
            QVERIFY(reg.OpenKey(
                "Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE", true));
            reg.WriteString("Path", QVR_EXAMPLES_DIR "/config/");
        }
        TScriptedDialogs user;
        user.OpenAnswer = QStringLiteral(QVR_EXAMPLES_DIR "/presets/showcase.q3p");
        const QStringList& boxes = user.Boxes;
        TViewerForms forms(user);
        TFormMain& main = *forms.FormMain;
        auto* view = dynamic_cast<TWebReportView*>(&main.ReportView());
        QVERIFY(view != nullptr);
        QSignalSpy loaded(view->View().page(), &QWebEnginePage::loadFinished);
        main.SetCommandLineFile(QVR_EXAMPLES_DIR "/presets/backup.q3a");
        main.show();
        QVERIFY(loaded.wait(60000));

        main.Command("CmdCompareWith").trigger();
        TCompareWindow* compare = main.CompareWindow();
        QVERIFY(compare != nullptr);
        QSignalSpy compared(compare->View().View().page(), &QWebEnginePage::loadFinished);
        QVERIFY(compared.wait(60000));
        QCOMPARE(compare->windowTitle(),
                 QStringLiteral("Comparison of backup.q3a with showcase.q3p"));
        QString text;
        compare->View().View().page()->toPlainText([&](const QString& t) { text = t; });
        QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), 10000);
        for (const QString& expected :
             {QStringLiteral("QVR-3 Preset #03 Dual <1> \u2192 Glassy & <Clean> \"Duo\""),
              QStringLiteral("Impedance\t250k\t1M"), QStringLiteral("Noise Gate\tmodule removed"),
              QStringLiteral("0 presets unchanged, 1 changed, 24 removed, 0 added.")}) {
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n") + text));
        }
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(QLatin1Char('\n'))));

        // Select All and Copy work in the window as in the main view.
        QApplication::clipboard()->clear();
        compare->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(compare));
        compare->Command("CmdSelectAll").trigger();
        compare->Command("CmdCopy").trigger();
        QTRY_VERIFY_WITH_TIMEOUT(
            QApplication::clipboard()->text().contains(QStringLiteral("module removed")), 10000);

        // Edit > Compare Presets shows its choice over the main window, then the comparison in
        // the same window. Closed over the main window, it leaves the main window drawing: its
        // menu bar and status line on the screen are what they draw themselves, a new status
        // text included.
        main.Command("CmdComparePresets").trigger();
        QVERIFY(compared.wait(60000));
        compare->move(main.geometry().topLeft());
        QTRY_VERIFY_WITH_TIMEOUT(compare->geometry().topLeft() == main.geometry().topLeft(), 10000);
        compare->close();
        main.statusBar()->showMessage(QStringLiteral("After the comparison"));
        for (QWidget* part :
             {static_cast<QWidget*>(main.menuBar()), static_cast<QWidget*>(main.statusBar())}) {
            QTRY_VERIFY_WITH_TIMEOUT(OnScreen(*part) == part->grab().toImage(), 10000);
        }
        main.close();
        QVERIFY(!compare->isVisible());
    }

private:
    static void TakeDialogPictures(TFormMain& main) {
        // The dialogs save their pictures as they show (see the test's OnModal).
        main.Command("CmdAbout").trigger();
        main.CmdMIDIClick();
        main.Command("CmdContents").trigger();
        Save(*main.HelpWindow(), QStringLiteral("help.png"));
        main.HelpWindow()->close();
        main.Menu("CmdOptions").popup(main.mapToGlobal(QPoint(80, 0)));
        QTest::qWait(200);
        main.Menu("CmdColumnCount").popup(main.mapToGlobal(QPoint(260, 20)));
        Save(main, QStringLiteral("menu.png"));
        main.Menu("CmdColumnCount").hide();
        main.Menu("CmdOptions").hide();
    }
};

} // namespace qvr::test

int main(int argc, char* argv[]) {
    // The viewer makes its PDFs with a process started from its own file: here, this test.
    if (const std::optional<int> made = qvr::RunPdfMakerIfAsked(argc, argv)) {
        return *made;
    }
    qvr::test::ProgramClock.start();
    qvr::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    qvr::ChooseQuickGraphics(); // as the viewer does
    qvr::test::EndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EndToEndTest.moc"
