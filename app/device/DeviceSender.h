#pragma once

#include "app/common/Dialogs.h"
#include "librarian/Dump.h"

#include <QDialog>

#include <functional>
#include <string>

namespace qvr {

// File > Send to Device and Send Preset to Device: the open file, or one preset of it, goes to
// the MIDI output chosen under Options > MIDI Devices, as qvrlib send sends it. The file is
// checked first (a damaged file is never sent), the user confirms the list of what the device
// will receive, and a progress window with Cancel shows the send, which runs on a thread of
// its own; Cancel stops before the next piece.
class TDeviceSender {
public:
    struct THooks {
        QWidget* Owner = nullptr;
        IDialogs* Dialogs = nullptr;
        std::function<void(QDialog&)> RunModal;
    };

    explicit TDeviceSender(THooks hooks) : Hooks(std::move(hooks)) {}

    // Sends `file` whole, or only its preset `preset` (from the dump of that file), to `port`.
    void Send(const std::string& file, const TDump& dump, const TDumpPreset* preset,
              const std::string& port);

private:
    void Show(TMessageKind kind, const std::string& text);

    THooks Hooks;
};

} // namespace qvr
