#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvr {

// The channel modules whose user-model name a later message of the file may
// give: the first amp and cabinet of a chain are green, the next ones red.
enum class TNameSlot : uint8_t { None, GreenAmp, GreenCabinet, RedAmp, RedCabinet };

// What a report says, in the order the file says it. The assembler reads the
// messages and calls these; a sink writes them in one format (HTML, text, CSV,
// JSON) or compares them. A sink holds at most the current preset's lines,
// never the whole report.
//
// Texts are the bytes of the preset and configuration files (windows-1252),
// unescaped, and valid only during the call. The calls come in this order:
// ReportStart at most once, first; then any number of the others; ReportEnd
// always, last, also for a file that could not be read at all.
class IReportSink {
public:
    virtual ~IReportSink() = default;

    // The file's model is known and its configuration loaded.
    virtual void ReportStart(std::string_view model) = 0;
    // A preset begins: the model, its number (0 to 254; none for a preset
    // without one) and its name as the file gives it.
    virtual void PresetHeading(std::string_view model, std::optional<int32_t> number,
                               std::string_view name) = 0;
    // A preset's chain of modules begins: user-model names for the modules
    // started before can no longer come.
    virtual void ChainStart() = 0;
    // A module (component or modifier) starts, with its heading as the
    // configuration names it ("Chorus") or as the channel is called ("Green
    // Amp", "Amp Channel"). `slot` is the channel module a later UserModelName
    // may name; a later module with the same slot takes it over.
    virtual void ModuleStart(std::string_view heading, TNameSlot slot) = 0;
    // A line "name = value": a parameter, a type, a link and its range.
    virtual void Value(std::string_view name, std::string_view value) = 0;
    // A line that is not a pair ("No link", "*** UNKNOWN datum 0B ***").
    virtual void Line(std::string_view text) = 0;
    // The user-model name of the module that holds `slot` in the current
    // chain: the line "Name = name" goes right under that module's heading,
    // however many lines and presets came in between.
    virtual void UserModelName(TNameSlot slot, std::string_view name) = 0;
    // The file is read, as far as it could be: the report ends.
    virtual void ReportEnd() = 0;
};

} // namespace qvr
