// qvrviewer: shows the presets of a Korvane QVR preset or backup file as a report.

#include "app/common/AnsiText.h"
#include "app/common/Dialogs.h"
#include "app/common/ExceptionDisplay.h"
#include "app/common/ProgramIcon.h"
#include "app/printing/PdfMaker.h"
#include "app/shell/CommandLine.h"
#include "app/shell/DisplayCheck.h"
#include "app/shell/GraphicsCheck.h"
#include "app/shell/Main.h"
#include "app/shell/SignalQuit.h"
#include "app/shell/Startup.h"
#include "base/ProgramConvention.h"
#include "platform/InputFile.h"
#include "platform/VersionText.h"

#include <QApplication>

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    if (const std::optional<int> made = qvr::RunPdfMakerIfAsked(argc, argv)) {
        return *made;
    }
    using TAction = qvr::TViewerCommandLine::TAction;
    const char* const program = "qvrviewer";
    // The options and the display are checked before the window system starts: help and
    // version need none, and Qt would abort on a display it cannot open.
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const qvr::TViewerCommandLine line = qvr::ParseViewerCommandLine(args);
    if (line.Action == TAction::UsageError) {
        return qvr::ShowUsageError(program, line.Error);
    }
    if (line.Action == TAction::Help) {
        return qvr::PrintAnswer(program, qvr::ViewerHelpText());
    }
    if (line.Action == TAction::Version) {
        return qvr::PrintAnswer(program, qvr::VersionText(program));
    }
    // A file that cannot be read is told as every program tells it, before any window.
    if (!line.File.empty() && line.File != "-") {
        if (const std::string reason = qvr::WhyNotReadable(line.File); !reason.empty()) {
            qvr::ShowFileError(line.File, reason);
            return qvr::ExitFailure;
        }
    }
    if (!qvr::DisplayReachable()) {
        qvr::ShowProgramNote(program, "cannot open a display; qvrreport writes the same report");
        return qvr::ExitFailure;
    }
    if (!line.Ignored.empty()) {
        std::string ignored;
        for (const std::string& file : line.Ignored) {
            ignored += (ignored.empty() ? "" : ", ") + file;
        }
        qvr::ShowProgramNote(program,
                             "warning: only the first file is opened; ignored: " + ignored);
    }

    qvr::PrepareWebEngineEnvironment();
    // The arguments are the viewer's own: Qt is given none to take options from, so that no
    // file name is ever read as one of its options.
    int qtArgc = 1;
    std::array<char*, 2> qtArgv = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("qvrviewer"));
    QApplication::setOrganizationName(QStringLiteral("oktrel"));
    QApplication::setWindowIcon(qvr::ProgramIcon());
    if (!qvr::ScreenColoursEnough()) {
        qvr::ShowProgramNote(program, "the screen has too few colours to draw on (use 16-bit "
                                      "colour or more); qvrreport writes the same report");
        return qvr::ExitFailure;
    }
    qvr::ChooseQuickGraphics();

    // Installed before anything that must be cleaned up exists.
    const qvr::TQuitOnSignals quitOnSignals;

    qvr::TQtDialogs dialogs;
    try {
        qvr::TViewerForms forms(dialogs);
        if (!line.File.empty()) {
            forms.FormMain->SetCommandLineFile(line.File);
        }
        // A signal that came while a box of the start was open has ended that box's loop,
        // not this one, which is yet to start.
        if (!quitOnSignals.Asked()) {
            forms.FormMain->show();
            QApplication::exec();
        }
    } catch (const std::exception& e) {
        dialogs.ShowMessage(
            qvr::TMessageKind::Stop, QString::fromLatin1(qvr::ApplicationTitle),
            qvr::FromMessageText(qvr::StandardExceptionText(qvr::ExceptionMessage(e))));
    }
    return 0;
}
