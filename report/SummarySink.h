#pragma once

#include "report/PresetModel.h"

#include <cstdint>
#include <string>

namespace qvr {

// What one report said about its file: the model (empty when the file named none the
// configuration knows) and the number of presets.
struct TReportSummary {
    std::string Model;
    int32_t PresetCount = 0;
};

// Passes every preset on to another sink, noting the report's summary on the way.
class TSummarySink : public IPresetSink {
public:
    explicit TSummarySink(IPresetSink& next) : Next(next) {}
    const TReportSummary& Summary() const { return Noted; }

    void ReportStart(std::string_view model) override;
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override { Next.ReportEnd(); }
    void Message(const TReportMessage& message) override { Next.Message(message); }

private:
    IPresetSink& Next;
    TReportSummary Noted;
};

} // namespace qvr
