#include "report/HtmlSink.h"

#include "report/ColumnCount.h"
#include "report/HtmlText.h"
#include "report/Utf8Text.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace qvr {

const char* const THtmlSink::TableStart =
    "<table width=\"100%\" class=\"preset\" align=\"center\" border=\"1\" cellpadding=\"4\" "
    "cellspacing=\"0\" style=\"font-family: arial, sans-serif; font-size: 12\">";

namespace {

const std::string_view RowStart = "  <tr valign=\"top\">\n";
const std::string_view CellStart = "    <td class=\"preset\">\n";
const std::string_view CellEnd = "    </td>\n";
const std::string_view RowEnd = "  </tr>\n";
const std::string_view EmptyCell = "    <td class=\"preset\">&nbsp;</td>\n";
const std::string_view TableEnd = "</table>\n";
const std::string_view Indent = "      ";

// How a line is laid out by the markup it holds: a table start stands alone,
// a table row is indented as a row, a heading or any line outside a row has
// no line break after it. Only texts with a '<' can hold any of them.
enum class TMarkup { None, Heading, Row, Table };

// Whether a byte of the word is '<': a byte of x is zero where the word has one.
bool HasLessThan(uint64_t word) {
    constexpr uint64_t Ones = 0x0101010101010101u;
    constexpr uint64_t Highs = 0x8080808080808080u;
    const uint64_t x = word ^ (Ones * '<');
    return ((x - Ones) & ~x & Highs) != 0;
}

template <class TWord> uint64_t Load(const char* bytes) {
    TWord word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Names and values are a few dozen bytes at most: they are looked at a word at
// a time, the last word overlapping the one before, so no byte is read past
// the text and no library call is made.
bool MayHoldMarkup(std::string_view text) {
    const char* const bytes = text.data();
    const size_t n = text.size();
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8) {
            if (HasLessThan(Load<uint64_t>(bytes + i))) {
                return true;
            }
        }
        return HasLessThan(Load<uint64_t>(bytes + n - 8));
    }
    if (n >= 4) {
        return HasLessThan(Load<uint32_t>(bytes) << 32 | Load<uint32_t>(bytes + n - 4));
    }
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == '<') {
            return true;
        }
    }
    return false;
}

TMarkup MarkupOf(std::initializer_list<std::string_view> parts) {
    TMarkup found = TMarkup::None;
    for (const std::string_view part : parts) {
        if (!MayHoldMarkup(part)) {
            continue;
        }
        if (part.find("<table") != std::string_view::npos) {
            return TMarkup::Table;
        }
        if (part.find("<tr") != std::string_view::npos) {
            found = TMarkup::Row;
        } else if (found == TMarkup::None && part.find("<h") != std::string_view::npos) {
            found = TMarkup::Heading;
        }
    }
    return found;
}

} // namespace

THtmlSink::THtmlSink(IByteTarget& target, int32_t columnCount)
    : Out(target), Columns(columnCount) {}

void THtmlSink::PadRow() {
    while (--CellsLeft > 0) {
        Out.Append(EmptyCell);
    }
}

void THtmlSink::CellBreak() {
    if (RowOpen) {
        Out.Append(CellEnd);
    }
    if (--CellsLeft == 0) {
        if (RowOpen) {
            Out.Append(RowEnd);
        }
        CellsLeft = Columns;
        Out.Append(RowStart);
        RowOpen = true;
    }
    Out.Append(CellStart);
}

void THtmlSink::PutLine(std::initializer_list<std::string_view> parts) {
    const TMarkup markup = MarkupOf(parts);
    if (markup == TMarkup::Table) {
        // stands alone
    } else if (markup == TMarkup::Row) {
        Out.Append("  ");
    } else {
        Out.Append(Indent);
    }
    for (const std::string_view part : parts) {
        Out.Append(part);
    }
    const bool lineBreak = markup == TMarkup::None && RowOpen;
    Out.Append(lineBreak ? std::string_view("<br>\n") : std::string_view("\n"));
}

void THtmlSink::ReportStart(std::string_view) {
    PutLine({TableStart});
}

void THtmlSink::Preset(const TPreset& preset, bool headingFollows) {
    if (!IsColumnCountInRange(Columns) && (preset.HasHeading || headingFollows)) {
        Columns = DefaultColumnCount;
    }
    if (preset.HasHeading) {
        Heading(preset);
    }
    for (const TModule& module : preset.Modules) {
        if (module.Heading) {
            ModuleHeading(*module.Heading, module.UserModelName);
        }
        ForEachShownLine(preset, module,
                         [this](std::string_view name, std::string_view value, TLineKind kind) {
                             if (kind == TLineKind::Note) {
                                 PutLine({name});
                             } else {
                                 Value(name, value, kind == TLineKind::NumberPair);
                             }
                         });
    }
    Out.Settle();
}

void THtmlSink::Heading(const TPreset& preset) {
    // The row of the presets before is padded; the cell that is open stays open.
    PadRow();
    CellsLeft = 1;

    char columns[16];
    const std::string_view columnText(
        columns, std::to_chars(columns, std::end(columns), Columns).ptr - columns);
    // " #07": at least two digits.
    char digits[16] = {' ', '#', '0'};
    std::string_view numberText;
    if (preset.Number) {
        const auto shown = static_cast<unsigned>(*preset.Number);
        char* const first = shown < 10 ? digits + 3 : digits + 2;
        numberText =
            std::string_view(digits, std::to_chars(first, std::end(digits), shown).ptr - digits);
    }
    PutLine({"<tr><th class=\"preset\" colspan=\"", columnText,
             "\" bgcolor=#EEEEEE align=\"center\">", preset.Model, " Preset", numberText,
             "</th></tr>"});
    CellBreak();
    PutLine({"<b>Preset Name</b>"});
    // An escaped name holds no markup and the row is open.
    Out.Append(Indent);
    AppendHtmlEscaped(Out, preset.Name);
    Out.Append("<br>\n");
}

void THtmlSink::ModuleHeading(std::string_view heading,
                              std::optional<std::string_view> userModelName) {
    CellBreak();
    if (MayHoldMarkup(heading)) {
        PutLine({"<b>", heading, "</b>"});
    } else {
        // The row is open after a cell break.
        Out.Append(Indent, "<b>", heading, "</b><br>\n");
    }
    if (userModelName) {
        // Under a module heading the row is always open.
        Out.Append(Indent, "Name = ");
        AppendHtmlEscaped(Out, *userModelName);
        Out.Append("<br>\n");
    }
}

void THtmlSink::Value(std::string_view name, std::string_view value, bool valueIsNumber) {
    if (MayHoldMarkup(name) || (!valueIsNumber && MayHoldMarkup(value))) {
        PutLine({name, " = ", value});
        return;
    }
    Out.Append(Indent, name, " = ", value,
               RowOpen ? std::string_view("<br>\n") : std::string_view("\n"));
}

void THtmlSink::ReportEnd() {
    Out.Append(CellEnd);
    PadRow();
    if (RowOpen) {
        Out.Append(RowEnd);
    }
    Out.Append(TableEnd);
    Out.Finish();
}

} // namespace qvr
