#include "report/DocumentWriter.h"

#include "report/RenderContext.h"

namespace qvr {

namespace {

const char* const RowStart = "  <tr valign=\"top\">\n";
const char* const CellStart = "    <td class=\"preset\">\n";
const char* const CellEnd = "    </td>\n";
const char* const RowEnd = "  </tr>\n";
const char* const EmptyCell = "    <td class=\"preset\">&nbsp;</td>\n";
const char* const TableEnd = "</table>\n";
const char* const Indent = "      ";

bool Contains(std::string_view line, std::string_view part) {
    return line.find(part) != std::string_view::npos;
}

} // namespace

void TDocumentWriter::WriteEmptyCellsWhileLeft() {
    while (--CellsLeft > 0) {
        Out += EmptyCell;
    }
}

void TDocumentWriter::WriteLine(std::string_view line) {
    if (line == RowEndMarker) {
        // Pads the row; the cell that is open stays open.
        WriteEmptyCellsWhileLeft();
        CellsLeft = 1;
    } else if (line == CellBreakMarker) {
        if (RowOpen) {
            Out += CellEnd;
        }
        if (--CellsLeft == 0) {
            if (RowOpen) {
                Out += RowEnd;
            }
            CellsLeft = ColumnCount;
            Out += RowStart;
            RowOpen = true;
        }
        Out += CellStart;
    } else if (Contains(line, "<table")) {
        Out.append(line).append("\n");
    } else if (Contains(line, "<tr")) {
        Out.append("  ").append(line).append("\n");
    } else if (Contains(line, "<h") || !RowOpen) {
        Out.append(Indent).append(line).append("\n");
    } else {
        Out.append(Indent).append(line).append("<br>\n");
    }
}

std::string TDocumentWriter::Finish() {
    Out += CellEnd;
    WriteEmptyCellsWhileLeft();
    if (RowOpen) {
        Out += RowEnd;
    }
    Out += TableEnd;
    return std::move(Out);
}

std::string WriteDocument(const TReportLines& lines, int32_t columnCount) {
    TDocumentWriter writer(columnCount);
    for (size_t i = 0; i < lines.Count(); ++i) {
        writer.WriteLine(lines.Line(i));
    }
    return writer.Finish();
}

} // namespace qvr
