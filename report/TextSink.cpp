#include "report/TextSink.h"

#include "report/Utf8Text.h"

#include <cstdio>

namespace qvr {

void TTextSink::Heading(const TPreset& preset) {
    if (AnyPreset) {
        Out.Append('\n');
    }
    AnyPreset = true;
    AppendTerminalUtf8(Out, preset.Model);
    Out.Append(" Preset");
    if (preset.Number) {
        char digits[24];
        std::snprintf(digits, sizeof digits, " #%02u", static_cast<unsigned>(*preset.Number));
        Out.Append(digits);
    }
    Out.Append("  ");
    AppendTerminalUtf8(Out, preset.Name);
    Out.Append('\n');
}

void TTextSink::Preset(const TPreset& preset, bool) {
    if (preset.HasHeading) {
        Heading(preset);
    }
    for (const TModule& module : preset.Modules) {
        if (module.Heading) {
            Out.Append("  ");
            AppendTerminalUtf8(Out, *module.Heading);
            Out.Append('\n');
        }
        if (module.UserModelName) {
            Out.Append("    Name = ");
            AppendTerminalUtf8(Out, *module.UserModelName);
            Out.Append('\n');
        }
        ForEachShownLine(preset, module,
                         [this](std::string_view name, std::string_view value, TLineKind kind) {
                             Out.Append("    ");
                             AppendTerminalUtf8(Out, name);
                             if (kind != TLineKind::Note) {
                                 Out.Append(" = ");
                                 AppendTerminalUtf8(Out, value);
                             }
                             Out.Append('\n');
                         });
    }
    Out.Settle();
}

} // namespace qvr
