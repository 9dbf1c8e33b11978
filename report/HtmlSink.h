#pragma once

#include "report/EventRecorder.h"
#include "report/ReportOutput.h"
#include "report/Utf8Text.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace qvr {

// Writes the report as the HTML table the viewer shows, byte for byte: the
// presets' headings span the table, every module is a cell, `columnCount`
// cells a row, each line of a cell ended by a line break. Texts of the
// configuration go in as they are (markup in them is the configuration
// writer's to use); names from preset files are escaped.
class THtmlSink : public IReportSink {
public:
    // A column count outside 1..MaxColumnCount becomes DefaultColumnCount at
    // the first preset heading; until then the events are held back, and a
    // report without any preset heading is laid out in the count as given.
    THtmlSink(IByteTarget& target, int32_t columnCount);

    // The line that opens the report's table.
    static const char* const TableStart;

    void ReportStart(std::string_view model) override;
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override;
    void ModuleStart(std::string_view heading, TNameSlot slot) override;
    void Value(std::string_view name, std::string_view value) override;
    void Line(std::string_view text) override;
    void UserModelName(TNameSlot slot, std::string_view name) override;
    void ReportEnd() override;

private:
    void CellBreak();
    void PadRow();
    void PutLine(std::initializer_list<std::string_view> parts);
    void ReplayHeld();

    TReportOutput Out;
    int32_t Columns;
    bool RowOpen = false;
    int32_t CellsLeft = 1; // cell places left in the current row
    std::optional<TEventRecorder> Held;
    TLineText NameLine;
};

} // namespace qvr
