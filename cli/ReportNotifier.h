#pragma once

#include "cli/StderrNotifier.h"
#include "report/PresetModel.h"

#include <string>

namespace qvr {

// The messages of a report on standard error, each line naming the preset it
// was met in, when there was one, after the file: "warning: FILE: preset 12:
// LINE" for the preset numbered 12, "... preset at place 3: ..." for the third
// preset of the file when it has no number.
class TReportNotifier : public TStderrNotifier, public IPresetMessages {
public:
    using TStderrNotifier::TStderrNotifier;

    void ShowInPreset(const TReportMessage& message) override {
        ShowAbout(message.IsError, PresetPart(message.PresetNumber, message.Preset), message.Text);
    }
};

} // namespace qvr
