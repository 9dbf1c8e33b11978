#pragma once

#include "report/ReportOutput.h"

namespace qvr {

// Writes the report as plain UTF-8 text for reading, grep and diff: one block
// per preset ("QVR-3 Preset #01  Clean 1"), each module's heading indented by
// two spaces and its lines ("name = value") by four; a blank line between
// presets.
class TTextSink : public IReportSink {
public:
    explicit TTextSink(IByteTarget& target) : Out(target) {}

    void ReportStart(std::string_view) override {}
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override { Out.Settle(); }
    void ModuleStart(std::string_view heading, TNameSlot slot) override;
    void Value(std::string_view name, std::string_view value) override;
    void Line(std::string_view text) override;
    void UserModelName(TNameSlot slot, std::string_view name) override;
    void ReportEnd() override { Out.Finish(); }

private:
    TReportOutput Out;
    bool AnyPreset = false;
};

} // namespace qvr
