// qvrviewer: shows the presets of a Korvane QVR preset or backup file as a report.

#include "app/AnsiText.h"
#include "app/CommandLine.h"
#include "app/Dialogs.h"
#include "app/ExceptionDisplay.h"
#include "app/Main.h"
#include "app/ProgramIcon.h"
#include "app/SignalQuit.h"
#include "app/Startup.h"
#include "platform/VersionText.h"

#include <QApplication>

#include <cstdio>
#include <exception>

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// The file's name as the bytes it was given in, which a decoded name need not give back.
std::string GivenName(int argc, char** argv, const QString& file) {
    for (int i = 1; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == file) {
            return argv[i];
        }
    }
    return file.toLocal8Bit().toStdString();
}

} // namespace

int main(int argc, char* argv[]) {
    using TAction = qvr::TViewerCommandLine::TAction;
    // Help and version need no window system: they are answered before the application starts.
    const qvr::TViewerCommandLine early = qvr::ParseViewerCommandLine(Arguments(argc, argv));
    if (early.Action == TAction::Help) {
        std::fputs(qvr::ViewerHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.Action == TAction::Version) {
        std::fputs(qvr::VersionText("qvrviewer").c_str(), stdout);
        return 0;
    }

    qvr::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvrviewer"));
    QApplication::setOrganizationName(QStringLiteral("oktrel"));
    QApplication::setWindowIcon(qvr::ProgramIcon());

    // The application has taken its own options (-platform, -style, ...) out of argv.
    const qvr::TViewerCommandLine line = qvr::ParseViewerCommandLine(Arguments(argc, argv));
    if (line.Action == TAction::UsageError) {
        std::fprintf(stderr, "qvrviewer: %s\nTry 'qvrviewer --help' for more information.\n",
                     line.Error.toLocal8Bit().constData());
        return 2;
    }
    if (!line.Ignored.isEmpty()) {
        std::fprintf(stderr, "qvrviewer: warning: only the first file is opened; ignored: %s\n",
                     line.Ignored.join(QStringLiteral(", ")).toLocal8Bit().constData());
    }

    // Installed before anything that must be cleaned up exists.
    const qvr::TQuitOnSignals quitOnSignals;

    qvr::TQtDialogs dialogs;
    try {
        qvr::TViewerForms forms(dialogs);
        if (!line.File.isEmpty()) {
            forms.FormMain->SetCommandLineFile(GivenName(argc, argv, line.File));
        }
        forms.FormMain->show();
        QApplication::exec();
    } catch (const std::exception& e) {
        dialogs.ShowMessage(
            qvr::TMessageKind::Stop, QString::fromLatin1(qvr::ApplicationTitle),
            qvr::FromMessageText(qvr::StandardExceptionText(qvr::ExceptionMessage(e))));
    }
    return 0;
}
