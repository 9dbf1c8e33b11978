#include "app/shell/Startup.h"

#include "app/device/MIDIConfig.h"
#include "app/report/WebReportView.h"
#include "app/shell/About.h"
#include "app/shell/Disclaim.h"
#include "app/shell/Main.h"
#include "app/shell/Placement.h"
#include "library/Schema.h"
#include "platform/PrivateFolder.h"

#include <QLoggingCategory>
#include <QtGlobal>

#include <unistd.h>

namespace qvr {

TViewerForms::TViewerForms(IDialogs& dialogs, size_t partBytes)
    : ReportFolder(std::make_unique<TPrivateFolder>(PrivateFolderBases(), "viewer")) {
    TFormMainServices services;
    services.MakeReportSource = &MakePresetReportSource;
    services.ReportView = std::make_unique<TWebReportView>(dialogs);
    services.Dialogs = &dialogs;
    services.WorkArea = &PrimaryWorkArea;
    services.ReportFolder = ReportFolder->Path();
    services.ReportFolderProblem = ReportFolder->Problem();
    services.MidiPorts = SystemMidiPorts();
    services.LibraryDatabase = DefaultLibraryPath();
    services.PartBytes = partBytes;
    FormMain = std::make_unique<TFormMain>(std::move(services));
    auto midi = std::make_unique<TFormMIDI>();
    auto about = std::make_unique<TFormAbout>();
    auto splash = std::make_unique<TFormSplash>();
    FormMIDI = midi.get();
    FormAbout = about.get();
    FormSplash = splash.get();
    FormMain->SetForms(std::move(midi), std::move(about), std::move(splash));
    MainFrameFit = std::make_unique<TFrameFit>(*FormMain, &PrimaryWorkArea);
}

// The main window (and with it its dialogs) goes before the folder that holds its report.
TViewerForms::~TViewerForms() {
    MainFrameFit.reset();
    FormMain.reset();
    ReportFolder.reset();
}

void PrepareWebEngineEnvironment() {
    // The web engine tells of its graphics set-up at every start: nothing for the user. A
    // QT_LOGGING_RULES of the user's own still brings it back.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // The program's own scripts may ask the renderer to collect its garbage (see TReportPage):
    // on its own it keeps the documents of several earlier reports, each about a hundred times
    // the report's size. Script options of the user's own rule instead.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--js-flags")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                flags + (flags.isEmpty() ? "" : " ") + "--js-flags=--expose-gc");
    }
}

} // namespace qvr
