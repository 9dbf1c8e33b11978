#pragma once

#include "report/PresetModel.h"
#include "report/ReportOutput.h"

#include <string>

namespace qvr {

// Writes the report as comma-separated values (RFC 4180, UTF-8, CR LF line
// ends): a header row, then one row per parameter:
//   file, preset number (empty for none), preset name, module position (empty
//   for modifiers), module kind, module heading, module name (the user-model
//   name), parameter, raw, value, text
// A preset or module without parameters still gets one row, with the fields
// it lacks empty. The value is the number when the parameter shows one
// (written the same whatever the locale), else the text.
class TCsvSink : public IPresetSink {
public:
    TCsvSink(IByteTarget& target, std::string_view fileName);

    void ReportStart(std::string_view) override {}
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override { Out.Finish(); }

private:
    TReportOutput Out;
    std::string File;         // the file's field and its comma
    std::string PresetFields; // file, number and name, each with its comma
    std::string ModuleFields; // those and the module's, each with its comma
};

} // namespace qvr
