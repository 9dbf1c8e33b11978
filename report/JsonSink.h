#pragma once

#include "platform/Spool.h"
#include "report/ReportOutput.h"

#include <array>

namespace qvr {

// Writes the report as one JSON document (UTF-8):
//   {"model": "QVR-3" or null,
//    "presets": [{"number": 1 or null, "name": "...",
//                 "modules": [{"heading": "...", "lines": [{"name": "...", "value": "..."},
//                                                          {"text": "..."}]}]}],
//    "messages": [{"kind": "error" or "warning", "text": "..."}]}
// Lines before any module of a preset sit in a module whose heading is null,
// modules before any preset heading in a preset whose number and name are
// null. The messages are kept aside (in a spool) until the end.
class TJsonSink : public IReportSink {
public:
    explicit TJsonSink(IByteTarget& target) : Out(target) {}

    // A message shown to the user while the report was made.
    void Message(std::string_view kind, std::string_view text);

    void ReportStart(std::string_view model) override;
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override { Out.Settle(); }
    void ModuleStart(std::string_view heading, TNameSlot slot) override;
    void Value(std::string_view name, std::string_view value) override;
    void Line(std::string_view text) override;
    void UserModelName(TNameSlot slot, std::string_view name) override;
    void ReportEnd() override;

private:
    void Head(std::optional<std::string_view> model);
    void OpenPreset(std::optional<int32_t> number, std::optional<std::string_view> name);
    void OpenModule(std::optional<std::string_view> heading, TNameSlot slot);
    void ClosePreset();
    void CloseModule();
    void LineStart();

    TReportOutput Out;
    TSpool Messages;
    size_t MessageCount = 0;
    bool HeadWritten = false;
    bool PresetOpen = false;
    bool ModuleOpen = false;
    size_t PresetCount = 0;
    size_t ModuleCount = 0; // in the open preset
    size_t LineCount = 0;   // in the open module
    TNameSlot ModuleSlot = TNameSlot::None;
    std::array<bool, 5> SlotHasLines{}; // lines follow the slot's mark
};

} // namespace qvr
