#pragma once

#include "app/report/ReportDocument.h"

#include <cstddef>
#include <memory>
#include <string>

namespace qvr {

class IDialogs;
class TFormMain;
class TFormMIDI;
class TFormAbout;
class TFormSplash;
class TPrivateFolder;
class TFrameFit;

// The program's four windows, created in this order (the first is the main window, which
// keeps the other three and releases them after itself), and the viewer's private folder,
// which holds its report file: made first, removed last.
struct TViewerForms {
    // `partBytes`: the largest page the report view is given at once (see ReportPartBytes).
    explicit TViewerForms(IDialogs& dialogs, size_t partBytes = ReportPartBytes);
    ~TViewerForms();
    std::unique_ptr<TPrivateFolder> ReportFolder;
    std::unique_ptr<TFormMain> FormMain;
    TFormMIDI* FormMIDI = nullptr;
    TFormAbout* FormAbout = nullptr;
    TFormSplash* FormSplash = nullptr;
    // Puts the main window's frame on the screen once the frame is known.
    std::unique_ptr<TFrameFit> MainFrameFit;
};

// Before the application object: QtWebEngine refuses to start as root unless its sandbox is
// off, its start-up diagnostics are kept off the terminal, and the program may have the page
// renderer collect its garbage.
void PrepareWebEngineEnvironment();

} // namespace qvr
