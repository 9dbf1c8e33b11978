#pragma once

#include <memory>
#include <string>

namespace qvr {

class IDialogs;
class TFormMain;
class TFormMIDI;
class TFormAbout;
class TFormSplash;
class TPrivateFolder;

// The program's four windows, created in this order (the first is the main
// window) and released together at the end, and the viewer's private folder,
// which holds its report file: made first, removed last.
struct TViewerForms {
    explicit TViewerForms(IDialogs& dialogs);
    ~TViewerForms();
    std::unique_ptr<TPrivateFolder> ReportFolder;
    std::unique_ptr<TFormMain> FormMain;
    std::unique_ptr<TFormMIDI> FormMIDI;
    std::unique_ptr<TFormAbout> FormAbout;
    std::unique_ptr<TFormSplash> FormSplash;
};

// QtWebEngine refuses to start as root unless its sandbox is off.
void PrepareWebEngineEnvironment();

} // namespace qvr
