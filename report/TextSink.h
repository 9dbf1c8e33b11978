#pragma once

#include "report/PresetModel.h"
#include "report/ReportOutput.h"

namespace qvr {

// Writes the report as plain UTF-8 text for reading, grep and diff: one block
// per preset ("QVR-3 Preset #01  Clean 1"), each module's heading indented by
// two spaces and its lines ("name = value") by four; a blank line between
// presets. The lines of a module without a heading follow those before.
class TTextSink : public IPresetSink {
public:
    explicit TTextSink(IByteTarget& target) : Out(target) {}

    void ReportStart(std::string_view) override {}
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override { Out.Finish(); }

private:
    void Heading(const TPreset& preset);

    TReportOutput Out;
    bool AnyPreset = false;
};

} // namespace qvr
