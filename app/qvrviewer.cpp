// qvrviewer: shows the presets of a Korvane QVR preset or backup file as a report.

#include "app/AnsiText.h"
#include "app/Dialogs.h"
#include "app/ExceptionDisplay.h"
#include "app/Main.h"
#include "app/ProgramIcon.h"
#include "app/SignalQuit.h"
#include "app/Startup.h"

#include <QApplication>

#include <exception>

int main(int argc, char* argv[]) {
    std::string commandLineFile;
    qvr::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvrviewer"));
    QApplication::setOrganizationName(QStringLiteral("oktrel"));
    QApplication::setWindowIcon(qvr::ProgramIcon());

    // Installed before anything that must be cleaned up exists.
    const qvr::TQuitOnSignals quitOnSignals;
    qvr::TQtDialogs dialogs;
    try {
        qvr::TViewerForms forms(dialogs);
        commandLineFile = qvr::CommandLineArgument(argc, argv);
        forms.FormMain->SetCommandLineFile(commandLineFile);
        forms.FormMain->show();
        QApplication::exec();
    } catch (const std::exception& e) {
        dialogs.ShowMessage(
            qvr::TMessageKind::Stop, QString::fromLatin1(qvr::ApplicationTitle),
            qvr::FromMessageText(qvr::StandardExceptionText(qvr::ExceptionMessage(e))));
    }
    return 0;
}
