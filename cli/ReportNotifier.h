#pragma once

#include "cli/StderrNotifier.h"
#include "report/PresetModel.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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
        // A preset's messages share its part, made once for all of them.
        if (message.Preset != PartPreset || message.PresetNumber != PartNumber) {
            Part = PresetPart(message.PresetNumber, message.Preset);
            PartPreset = message.Preset;
            PartNumber = message.PresetNumber;
        }
        ShowAbout(message.IsError, Part, message.Text);
    }

private:
    std::string Part;
    std::optional<size_t> PartPreset;
    std::optional<int32_t> PartNumber;
};

} // namespace qvr
