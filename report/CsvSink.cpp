#include "report/CsvSink.h"

#include "report/Utf8Text.h"

namespace qvr {

namespace {

const std::string_view RowEnd = "\r\n";

// One field: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line end.
template <class TOut> void AppendField(TOut& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        AppendUtf8(out, text);
        return;
    }
    out.Append('"');
    size_t start = 0;
    for (size_t quote = text.find('"'); quote != std::string_view::npos;
         quote = text.find('"', start)) {
        AppendUtf8(out, text.substr(start, quote + 1 - start));
        out.Append('"');
        start = quote + 1;
    }
    AppendUtf8(out, text.substr(start));
    out.Append('"');
}

std::string Fields(std::string_view before, std::string_view text) {
    TLineText line;
    line.Append(before);
    AppendField(line, text);
    line.Append(',');
    return std::move(line.Text);
}

} // namespace

TCsvSink::TCsvSink(IByteTarget& target, std::string_view fileName)
    : Out(target), File(Fields({}, fileName)), PresetFields(File + ",,"),
      ModuleFields(PresetFields + ",") {
    Out.Append("file,preset number,preset name,module,parameter,value");
    Out.Append(RowEnd);
}

void TCsvSink::PresetHeading(std::string_view, std::optional<int32_t> number,
                             std::string_view name) {
    PresetFields = File + (number ? std::to_string(*number) : std::string()) + ",";
    PresetFields = Fields(PresetFields, name);
    ModuleFields = PresetFields + ",";
}

void TCsvSink::ModuleStart(std::string_view heading, TNameSlot slot) {
    ModuleFields = Fields(PresetFields, heading);
    if (slot != TNameSlot::None) {
        SlotFields[static_cast<size_t>(slot)] = ModuleFields;
        Out.MarkSlot(slot);
    }
}

void TCsvSink::Value(std::string_view name, std::string_view value) {
    Out.Append(ModuleFields);
    AppendField(Out, name);
    Out.Append(',');
    AppendField(Out, value);
    Out.Append(RowEnd);
}

void TCsvSink::Line(std::string_view text) {
    Out.Append(ModuleFields);
    AppendField(Out, text);
    Out.Append(',');
    Out.Append(RowEnd);
}

void TCsvSink::UserModelName(TNameSlot slot, std::string_view name) {
    TLineText row;
    row.Append(SlotFields[static_cast<size_t>(slot)]);
    row.Append("Name,");
    AppendField(row, name);
    row.Append(RowEnd);
    Out.InsertAtSlot(slot, row.Text);
}

} // namespace qvr
