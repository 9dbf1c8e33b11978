#pragma once

#include "report/ReportOutput.h"

#include <array>
#include <string>

namespace qvr {

// Writes the report as comma-separated values (RFC 4180, UTF-8, CR LF line
// ends): a header row, then one row per line of a module: file, preset number
// (empty for none), preset name, module heading, parameter, value. A line that
// is not a pair has its text as the parameter and an empty value.
class TCsvSink : public IReportSink {
public:
    TCsvSink(IByteTarget& target, std::string_view fileName);

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
    std::string File;                      // the file's field and its comma
    std::string PresetFields;              // file, number and name, each with its comma
    std::string ModuleFields;              // those and the module's heading with its comma
    std::array<std::string, 5> SlotFields; // ModuleFields of each slot's module
};

} // namespace qvr
