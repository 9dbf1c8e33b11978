#include "report/JsonSink.h"

#include "report/JsonText.h"
#include "report/Utf8Text.h"

#include <cstdio>

namespace qvr {

namespace {

template <class TOut> void AppendPair(TOut& out, std::string_view name, std::string_view value) {
    out.Append("\n            {\"name\": ");
    AppendJsonString(out, name);
    out.Append(", \"value\": ");
    AppendJsonString(out, value);
    out.Append('}');
}

} // namespace

void TJsonSink::Message(std::string_view kind, std::string_view text) {
    TLineText element;
    element.Append(MessageCount++ > 0 ? ",\n    {\"kind\": " : "\n    {\"kind\": ");
    AppendJsonString(element, kind);
    element.Append(", \"text\": ");
    AppendJsonString(element, text);
    element.Append('}');
    Messages.Put(element.Text);
}

void TJsonSink::Head(std::optional<std::string_view> model) {
    if (HeadWritten) {
        return;
    }
    HeadWritten = true;
    Out.Append("{\n  \"model\": ");
    if (model) {
        AppendJsonString(Out, *model);
    } else {
        Out.Append("null");
    }
    Out.Append(",\n  \"presets\": [");
}

void TJsonSink::CloseModule() {
    if (ModuleOpen) {
        Out.Append("\n          ]\n        }");
        ModuleOpen = false;
    }
}

void TJsonSink::ClosePreset() {
    CloseModule();
    if (PresetOpen) {
        Out.Append("\n      ]\n    }");
        PresetOpen = false;
    }
}

void TJsonSink::OpenPreset(std::optional<int32_t> number, std::optional<std::string_view> name) {
    Head(std::nullopt);
    ClosePreset();
    Out.Append(PresetCount++ > 0 ? ",\n    {\n      \"number\": " : "\n    {\n      \"number\": ");
    Out.Append(number ? std::to_string(*number) : std::string("null"));
    Out.Append(",\n      \"name\": ");
    if (name) {
        AppendJsonString(Out, *name);
    } else {
        Out.Append("null");
    }
    Out.Append(",\n      \"modules\": [");
    PresetOpen = true;
    ModuleCount = 0;
}

void TJsonSink::OpenModule(std::optional<std::string_view> heading, TNameSlot slot) {
    if (!PresetOpen) {
        OpenPreset(std::nullopt, std::nullopt);
    }
    CloseModule();
    Out.Append(ModuleCount++ > 0 ? ",\n        {\n          \"heading\": "
                                 : "\n        {\n          \"heading\": ");
    if (heading) {
        AppendJsonString(Out, *heading);
    } else {
        Out.Append("null");
    }
    Out.Append(",\n          \"lines\": [");
    ModuleOpen = true;
    LineCount = 0;
    ModuleSlot = slot;
    if (slot != TNameSlot::None) {
        Out.MarkSlot(slot);
        SlotHasLines[static_cast<size_t>(slot)] = false;
    }
}

void TJsonSink::LineStart() {
    if (!ModuleOpen) {
        OpenModule(std::nullopt, TNameSlot::None);
    }
    if (LineCount++ > 0) {
        Out.Append(',');
    }
    if (ModuleSlot != TNameSlot::None) {
        SlotHasLines[static_cast<size_t>(ModuleSlot)] = true;
    }
}

void TJsonSink::ReportStart(std::string_view model) {
    Head(model);
}

void TJsonSink::PresetHeading(std::string_view, std::optional<int32_t> number,
                              std::string_view name) {
    OpenPreset(number, name);
}

void TJsonSink::ModuleStart(std::string_view heading, TNameSlot slot) {
    OpenModule(heading, slot);
}

void TJsonSink::Value(std::string_view name, std::string_view value) {
    LineStart();
    AppendPair(Out, name, value);
}

void TJsonSink::Line(std::string_view text) {
    LineStart();
    Out.Append("\n            {\"text\": ");
    AppendJsonString(Out, text);
    Out.Append('}');
}

void TJsonSink::UserModelName(TNameSlot slot, std::string_view name) {
    if (!Out.HasMark(slot)) {
        return;
    }
    TLineText element;
    AppendPair(element, "Name", name);
    if (SlotHasLines[static_cast<size_t>(slot)]) {
        element.Append(',');
    }
    Out.InsertAtSlot(slot, element.Text);
}

void TJsonSink::ReportEnd() {
    Head(std::nullopt);
    ClosePreset();
    Out.Append(PresetCount > 0 ? "\n  ],\n  \"messages\": [" : "],\n  \"messages\": [");
    Out.Settle();
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
