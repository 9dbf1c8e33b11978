#pragma once

#include "report/ReportLines.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qvr {

// Lays the report's lines out as one HTML table of `columnCount` columns:
// marker lines drive the cells and rows, every other line is written as it
// is, indented, and (inside a row) ended with a line break.
class TDocumentWriter {
public:
    explicit TDocumentWriter(int32_t columnCount) : ColumnCount(columnCount) {}

    void WriteLine(std::string_view line);
    // Closes the last cell, pads and closes the last row, ends the table and
    // hands the document out.
    std::string Finish();

private:
    void WriteEmptyCellsWhileLeft();

    int32_t ColumnCount;
    bool RowOpen = false;
    int32_t CellsLeft = 1; // cell places left in the current row
    std::string Out;
};

// The whole document for a finished line list.
std::string WriteDocument(const TReportLines& lines, int32_t columnCount);

} // namespace qvr
