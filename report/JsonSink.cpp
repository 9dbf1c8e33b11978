#include "report/JsonSink.h"

#include "base/Numbers.h"
#include "report/JsonText.h"
#include "report/Utf8Text.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace qvr {

namespace {

template <class TOut> void AppendNumberOrNull(TOut& out, const std::optional<int32_t>& number) {
    if (number) {
        AppendJsonNumber(out, *number);
    } else {
        out.Append("null");
    }
}

template <class TOut>
void AppendStringOrNull(TOut& out, const std::optional<std::string_view>& text) {
    if (text) {
        AppendJsonString(out, *text);
    } else {
        out.Append("null");
    }
}

// "raw", "value" (its number when it has one, else its text) and "text".
// Whether `text` is the JSON number of the whole `number` as it stands: a
// whole number's text is its digits, which need not be written again.
bool IsWholeNumberText(double number, std::string_view text) {
    if (!(std::fabs(number) < 1e15 && number == std::trunc(number)) || text.empty()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if ((text[i] < '0' || text[i] > '9') && !(i == 0 && text[i] == '-' && text.size() > 1)) {
            return false;
        }
    }
    return text.size() == 1 || (text[0] != '0' && (text[0] != '-' || text[1] != '0'));
}

template <class TOut>
void AppendValueFields(TOut& out, int32_t raw, const std::optional<double>& number,
                       std::string_view text) {
    out.Append("\"raw\": ");
    AppendJsonNumber(out, raw);
    out.Append(", \"value\": ");
    if (number && IsWholeNumberText(*number, text)) {
        out.Append(text);
    } else if (number && std::isfinite(*number)) {
        AppendJsonNumber(out, ShownNumber(*number));
    } else {
        AppendJsonString(out, text);
    }
    out.Append(", \"text\": ");
    AppendJsonString(out, text);
}

template <class TOut> void AppendValue(TOut& out, const TValue& value) {
    out.Append('{');
    AppendValueFields(out, value.Raw, value.Number, value.Text);
    out.Append('}');
}

std::string_view TargetName(TLinkTarget target) {
    switch (target) {
    case TLinkTarget::Parameter:
        return "parameter";
    case TLinkTarget::ParameterIndex:
        return "parameter index";
    case TLinkTarget::BeyondChain:
        return "beyond chain";
    }
    return "beyond chain";
}

} // namespace

TJsonSink::TJsonSink(IByteTarget& target, const TDocumentSource& source)
    : Out(target), Source(source) {}

void TJsonSink::Message(const TReportMessage& message) {
    TLineText element;
    element.Append(MessageCount++ > 0 ? ",\n    {\"kind\": " : "\n    {\"kind\": ");
    element.Append(message.IsError ? "\"error\"" : "\"warning\"");
    element.Append(", \"text\": ");
    AppendJsonString(element, message.Text);
    element.Append(", \"preset\": ");
    if (message.Preset) {
        element.Append(std::to_string(*message.Preset));
    } else {
        element.Append("null");
    }
    element.Append('}');
    Messages.Put(element.Text);
}

void TJsonSink::Head(const std::string_view* model) {
    if (HeadWritten) {
        return;
    }
    HeadWritten = true;
    Out.Append("{\n  \"format\": \"qvr-presets\",\n  \"version\": 2,\n  \"tool\": {\"name\": ");
    AppendJsonText<true>(Out, Source.Tool);
    Out.Append(", \"version\": ");
    AppendJsonText<true>(Out, Source.ToolVersion);
    Out.Append("},\n  \"file\": ");
    AppendJsonText<true>(Out, FileNameUtf8(Source.File));
    Out.Append(",\n  \"model\": ");
    if (model != nullptr) {
        AppendJsonString(Out, *model);
    } else {
        Out.Append("null");
    }
    Out.Append(",\n  \"presets\": [");
}

void TJsonSink::ReportStart(std::string_view model) {
    Head(&model);
}

void TJsonSink::Preset(const TPreset& preset, bool) {
    Head(nullptr);
    Out.Append(PresetCount++ > 0 ? ",\n    {\n      \"number\": " : "\n    {\n      \"number\": ");
    AppendNumberOrNull(Out, preset.Number);
    Out.Append(",\n      \"name\": ");
    AppendStringOrNull(Out, preset.HasHeading ? std::optional(preset.Name) : std::nullopt);
    Out.Append(",\n      \"header\": ");
    Out.Append(preset.HasHeading ? "true" : "false");
    Out.Append(",\n      \"modules\": [");
    for (size_t i = 0; i < preset.Modules.size(); ++i) {
        Out.Append(i > 0 ? ",\n        {" : "\n        {");
        Module(preset, preset.Modules[i]);
        Out.Append("\n        }");
    }
    Out.Append(preset.Modules.empty() ? "]\n    }" : "\n      ]\n    }");
    Out.Settle();
}

void TJsonSink::Module(const TPreset& preset, const TModule& module) {
    Out.Append("\n          \"position\": ");
    AppendNumberOrNull(Out, module.Position);
    Out.Append(", \"kind\": \"", ModuleKindName(module.Kind), "\", \"id\": ");
    AppendJsonNumber(Out, module.Id);
    Out.Append(", \"name\": ");
    AppendStringOrNull(Out, module.Name.empty() ? std::nullopt : std::optional(module.Name));
    Out.Append(",\n          \"type_id\": ");
    AppendNumberOrNull(Out, module.TypeId);
    Out.Append(", \"type_name\": ");
    AppendStringOrNull(Out,
                       module.TypeName.empty() ? std::nullopt : std::optional(module.TypeName));
    Out.Append(",\n          \"heading\": ");
    AppendStringOrNull(Out, module.Heading);
    Out.Append(", \"user_model_name\": ");
    AppendStringOrNull(Out, module.UserModelName);
    Out.Append(",\n          \"parameters\": [");
    const auto parameters = preset.ParametersOf(module);
    for (size_t i = 0; i < parameters.size(); ++i) {
        const TParameter& parameter = parameters[i];
        Out.Append(i > 0 ? ",\n            {\"name\": " : "\n            {\"name\": ");
        AppendJsonString(Out, parameter.Name);
        if (const std::string_view unit = ParameterUnit(parameter.Name); !unit.empty()) {
            Out.Append(", \"unit\": ");
            AppendJsonString(Out, unit);
        }
        Out.Append(", ");
        AppendValueFields(Out, parameter.Raw, parameter.Number, parameter.Text);
        Out.Append('}');
    }
    Out.Append(parameters.empty() ? "],\n          \"links\": ["
                                  : "\n          ],\n          \"links\": [");
    const auto links = preset.LinksOf(module);
    for (size_t i = 0; i < links.size(); ++i) {
        const TLink& link = links[i];
        Out.Append(i > 0 ? ",\n            {\"index\": " : "\n            {\"index\": ");
        AppendJsonNumber(Out, link.Index);
        Out.Append(", \"target\": \"", TargetName(link.Target), "\", \"module\": {\"position\": ");
        AppendJsonNumber(Out, link.Position);
        Out.Append(", \"heading\": ");
        AppendStringOrNull(Out, link.ModuleHeading);
        Out.Append("},\n             \"parameter\": ");
        AppendStringOrNull(Out, link.Target == TLinkTarget::Parameter
                                    ? std::optional(link.Parameter)
                                    : std::nullopt);
        Out.Append(", \"parameter_index\": ");
        AppendJsonNumber(Out, link.ParameterIndex);
        Out.Append(",\n             \"max\": ");
        AppendValue(Out, link.Max);
        Out.Append(", \"min\": ");
        AppendValue(Out, link.Min);
        Out.Append('}');
    }
    Out.Append(links.empty() ? "],\n          \"notes\": ["
                             : "\n          ],\n          \"notes\": [");
    const auto notes = preset.NotesOf(module);
    for (size_t i = 0; i < notes.size(); ++i) {
        Out.Append(i > 0 ? ",\n            {\"text\": " : "\n            {\"text\": ");
        AppendJsonString(Out, notes[i].Text);
        Out.Append(", \"after_links\": ");
        AppendJsonNumber(Out, notes[i].AfterLinks);
        Out.Append('}');
    }
    Out.Append(notes.empty() ? "]" : "\n          ]");
}

void TJsonSink::ReportEnd() {
    Head(nullptr);
    Out.Append(PresetCount > 0 ? "\n  ],\n  \"messages\": [" : "],\n  \"messages\": [");
    Out.Finish();
    // The messages follow the presets in the same output.
    struct TForward : IByteTarget {
        TReportOutput& To;
        explicit TForward(TReportOutput& to) : To(to) {}
        void Put(std::string_view bytes) override {
            To.Append(bytes);
            To.Settle();
        }
    } forward(Out);
    // A spool that cannot be read back shortens the list; the messages went to
    // standard error all the same.
    Messages.CopyTo(forward);
    Out.Append(MessageCount > 0 ? "\n  ]\n}\n" : "]\n}\n");
    Out.Finish();
}

} // namespace qvr
