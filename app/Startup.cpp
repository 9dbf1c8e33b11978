#include "app/Startup.h"

#include "app/About.h"
#include "app/Disclaim.h"
#include "app/MIDIConfig.h"
#include "app/Main.h"
#include "app/WebReportView.h"
#include "platform/PrivateFolder.h"

#include <QtGlobal>

#include <unistd.h>

namespace qvr {

TViewerForms::TViewerForms(IDialogs& dialogs)
    : ReportFolder(std::make_unique<TPrivateFolder>(PrivateFolderBases(), "viewer")) {
    TFormMainServices services;
    services.MakeReportSource = &MakePresetReportSource;
    services.ReportView = std::make_unique<TWebReportView>(dialogs);
    services.Dialogs = &dialogs;
    services.WorkArea = &PrimaryWorkArea;
    services.ReportFolder = ReportFolder->Path();
    services.ReportFolderProblem = ReportFolder->Problem();
    services.MidiPorts = SystemMidiPorts();
    FormMain = std::make_unique<TFormMain>(std::move(services));
    FormMIDI = std::make_unique<TFormMIDI>();
    FormAbout = std::make_unique<TFormAbout>();
    FormSplash = std::make_unique<TFormSplash>();
    FormMain->SetForms(*FormMIDI, *FormAbout, *FormSplash);
}

// The main window goes last, after the dialogs it refers to.
TViewerForms::~TViewerForms() {
    FormSplash.reset();
    FormAbout.reset();
    FormMIDI.reset();
    FormMain.reset();
    ReportFolder.reset();
}

void PrepareWebEngineEnvironment() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

} // namespace qvr
