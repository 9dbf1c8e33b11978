#include "report/TextSink.h"

#include "report/Utf8Text.h"

#include <cstdio>

namespace qvr {

void TTextSink::PresetHeading(std::string_view model, std::optional<int32_t> number,
                              std::string_view name) {
    if (AnyPreset) {
        Out.Append('\n');
    }
    AnyPreset = true;
    AppendUtf8(Out, model);
    Out.Append(" Preset");
    if (number) {
        char digits[24];
        std::snprintf(digits, sizeof digits, " #%02u", static_cast<unsigned>(*number));
        Out.Append(digits);
    }
    Out.Append("  ");
    AppendUtf8(Out, name);
    Out.Append('\n');
}

void TTextSink::ModuleStart(std::string_view heading, TNameSlot slot) {
    Out.Append("  ");
    AppendUtf8(Out, heading);
    Out.Append('\n');
    if (slot != TNameSlot::None) {
        Out.MarkSlot(slot);
    }
}

void TTextSink::Value(std::string_view name, std::string_view value) {
    Out.Append("    ");
    AppendUtf8(Out, name);
    Out.Append(" = ");
    AppendUtf8(Out, value);
    Out.Append('\n');
}

void TTextSink::Line(std::string_view text) {
    Out.Append("    ");
    AppendUtf8(Out, text);
    Out.Append('\n');
}

void TTextSink::UserModelName(TNameSlot slot, std::string_view name) {
    TLineText line;
    line.Append("    Name = ");
    AppendUtf8(line, name);
    line.Append('\n');
    Out.InsertAtSlot(slot, line.Text);
}

} // namespace qvr
