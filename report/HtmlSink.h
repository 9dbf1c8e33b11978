#pragma once

#include "report/PresetModel.h"
#include "report/ReportOutput.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace qvr {

// Writes the report as the HTML table the viewer shows, byte for byte: the
// presets' headings span the table, every module with a heading is a cell
// (the lines of a module without one follow in the cell before),
// `columnCount` cells a row, each line of a cell ended by a line break. Texts
// of the configuration go in as they are (markup in them is the configuration
// writer's to use); names from preset files are escaped.
class THtmlSink : public IPresetSink {
public:
    // A column count outside 1..MaxColumnCount becomes DefaultColumnCount
    // when the report has a preset heading; a report without any is laid out
    // in the count as given.
    THtmlSink(IByteTarget& target, int32_t columnCount);

    // The line that opens the report's table.
    static const char* const TableStart;

    void ReportStart(std::string_view model) override;
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override;

private:
    void Heading(const TPreset& preset);
    void ModuleHeading(std::string_view heading, std::optional<std::string_view> userModelName);
    // A number's text holds no markup.
    void Value(std::string_view name, std::string_view value, bool valueIsNumber);
    void CellBreak();
    void PadRow();
    void PutLine(std::initializer_list<std::string_view> parts);

    TReportOutput Out;
    int32_t Columns;
    bool RowOpen = false;
    int32_t CellsLeft = 1; // cell places left in the current row
};

} // namespace qvr
