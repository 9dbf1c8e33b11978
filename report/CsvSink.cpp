#include "report/CsvSink.h"

#include "base/Numbers.h"
#include "report/JsonText.h" // AppendJsonNumber: the same locale-free numbers
#include "report/Utf8Text.h"

#include <charconv>

namespace qvr {

namespace {

const std::string_view RowEnd = "\r\n";

// One field: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line end. A text of the files (windows-1252) is converted to UTF-8, a
// text that is UTF-8 already (`Utf8` true) goes in as it is.
template <bool Utf8 = false, class TOut> void AppendField(TOut& out, std::string_view text) {
    const auto put = [&out](std::string_view part) {
        if constexpr (Utf8) {
            out.Append(part);
        } else {
            AppendUtf8(out, part);
        }
    };
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        put(text);
        return;
    }
    out.Append('"');
    size_t start = 0;
    for (size_t quote = text.find('"'); quote != std::string_view::npos;
         quote = text.find('"', start)) {
        put(text.substr(start, quote + 1 - start));
        out.Append('"');
        start = quote + 1;
    }
    put(text.substr(start));
    out.Append('"');
}

template <class TOut> void AppendNumberField(TOut& out, std::optional<int32_t> number) {
    if (number) {
        AppendJsonNumber(out, *number);
    }
    out.Append(',');
}

} // namespace

TCsvSink::TCsvSink(IByteTarget& target, std::string_view fileName) : Out(target) {
    TLineText file;
    AppendField<true>(file, FileNameUtf8(fileName));
    file.Append(',');
    File = std::move(file.Text);
    Out.Append("file,preset number,preset name,module position,module kind,module heading,"
               "module name,parameter,raw,value,text");
    Out.Append(RowEnd);
}

void TCsvSink::Preset(const TPreset& preset, bool) {
    TLineText fields;
    fields.Append(File);
    AppendNumberField(fields, preset.Number);
    AppendField(fields, preset.Name);
    fields.Append(',');
    PresetFields = std::move(fields.Text);
    if (preset.Modules.empty()) {
        Out.Append(PresetFields, ",,,,,,,", RowEnd);
    }
    for (const TModule& module : preset.Modules) {
        fields.Text.assign(PresetFields);
        AppendNumberField(fields, module.Position);
        fields.Append(ModuleKindName(module.Kind));
        fields.Append(',');
        AppendField(fields, module.Heading.value_or(std::string_view()));
        fields.Append(',');
        AppendField(fields, module.UserModelName.value_or(std::string_view()));
        fields.Append(',');
        ModuleFields = std::move(fields.Text);
        const auto parameters = preset.ParametersOf(module);
        if (parameters.empty()) {
            Out.Append(ModuleFields, ",,,", RowEnd);
        }
        for (const TParameter& parameter : parameters) {
            Out.Append(ModuleFields);
            AppendField(Out, parameter.Name);
            Out.Append(',');
            AppendJsonNumber(Out, parameter.Raw);
            Out.Append(',');
            if (parameter.Number && std::isfinite(*parameter.Number)) {
                AppendJsonNumber(Out, ShownNumber(*parameter.Number));
            } else {
                AppendField(Out, parameter.Text);
            }
            Out.Append(',');
            AppendField(Out, parameter.Text);
            Out.Append(RowEnd);
            // Every row repeats the preset's name, which may be long: rows go on to the
            // target as they fill a block, so the buffer holds about one row at most.
            Out.Settle();
        }
    }
    Out.Settle();
}

} // namespace qvr
