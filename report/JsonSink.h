#pragma once

#include "platform/Spool.h"
#include "report/PresetModel.h"
#include "report/ReportOutput.h"

#include <string>

namespace qvr {

// Who wrote a data document, and from which file.
struct TDocumentSource {
    std::string File; // as the file system names it (bytes, normally UTF-8)
    std::string Tool; // the program
    std::string ToolVersion;
};

// Writes the report as one JSON document (UTF-8) of the presets as data,
// format "qvr-presets" version 2 (data/qvr-presets.schema.json describes it):
//   {"format", "version", "tool": {"name", "version"}, "file", "model" (null
//    when the file named none),
//    "presets": [{"number" (null: none), "name" (null with "header" false:
//                 the modules before a file's first preset header),
//                 "modules": [{"position", "kind", "id", "name", "type_id",
//                              "type_name", "heading", "user_model_name",
//                              "parameters": [{"name", "raw", "value", "text"}],
//                              "links": [...], "notes": [...]}]}],
//    "messages": [{"kind": "error" or "warning", "text", "preset"}]}
// A value is a JSON number when the parameter shows a number, else its text;
// numbers never depend on the locale. The messages are kept aside (in a
// spool) until the end.
class TJsonSink : public IPresetSink {
public:
    TJsonSink(IByteTarget& target, const TDocumentSource& source);

    void ReportStart(std::string_view model) override;
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override;
    void Message(const TReportMessage& message) override;

private:
    void Head(const std::string_view* model);
    void Module(const TPreset& preset, const TModule& module);

    TReportOutput Out;
    TDocumentSource Source;
    TSpool Messages;
    size_t MessageCount = 0;
    bool HeadWritten = false;
    size_t PresetCount = 0;
};

} // namespace qvr
