#pragma once

#include "report/ReportSink.h"

#include <cstdint>
#include <string>

namespace qvr {

// What one report said about its file: the model (empty when the file named none the
// configuration knows) and the number of presets.
struct TReportSummary {
    std::string Model;
    int32_t PresetCount = 0;
};

// Passes every event on to another sink, noting the report's summary on the way.
class TSummarySink : public IReportSink {
public:
    explicit TSummarySink(IReportSink& next) : Next(next) {}
    const TReportSummary& Summary() const { return Noted; }

    void ReportStart(std::string_view model) override;
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override { Next.ChainStart(); }
    void ModuleStart(std::string_view heading, TNameSlot slot) override {
        Next.ModuleStart(heading, slot);
    }
    void Value(std::string_view name, std::string_view value) override { Next.Value(name, value); }
    void Line(std::string_view text) override { Next.Line(text); }
    void UserModelName(TNameSlot slot, std::string_view name) override {
        Next.UserModelName(slot, name);
    }
    void ReportEnd() override { Next.ReportEnd(); }

private:
    IReportSink& Next;
    TReportSummary Noted;
};

} // namespace qvr
