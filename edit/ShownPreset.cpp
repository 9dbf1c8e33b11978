#include "edit/ShownPreset.h"

#include "base/UserNotifier.h"
#include "report/PresetReport.h"
#include "sysex/ByteInput.h"

#include <optional>

namespace qvr {

namespace {

// Keeps the first error of a report.
class TFirstError : public IUserNotifier {
public:
    void ShowError(const std::string& text) override {
        if (Text.empty()) {
            Text = text;
        }
    }
    void ShowWarning(const std::string&) override {}

    std::string Text;
};

// Reads the modules of the one preset a report of the preset's bytes shows.
class TEditSink : public IPresetSink {
public:
    TEditSink(const TDump& dump, const TDumpPreset& preset, const TQvrConfig& config)
        : Dump(dump), DumpPreset(preset), Config(config) {}

    void ReportStart(std::string_view model) override { Shown.Model = std::string(model); }
    void Preset(const TPreset& preset, bool) override {
        if (preset.HasHeading && !Read) {
            Shown.Modules = ReadEditableModules(Dump, DumpPreset, Config, preset);
            Read = true;
        }
    }
    void ReportEnd() override {}

    TShownPreset Shown;
    bool Read = false;

private:
    const TDump& Dump;
    const TDumpPreset& DumpPreset;
    const TQvrConfig& Config;
};

} // namespace

TShownPreset ReadShownPreset(const TDump& dump, const TDumpPreset& preset,
                             const TQvrConfig& config) {
    const std::string_view bytes = dump.PresetBytes(preset);
    TMemoryInput in(bytes.data(), bytes.size());
    TFirstError error;
    TConfigSearch search;
    search.ProgramFolder = "/";
    search.Loaded = [&config](uint8_t) { return &config; };
    TPresetReport report(error, search);
    TEditSink sink(dump, preset, config);
    // Numbers as edits read them, whatever the user's locale.
    report.Emit(in, sink, '.');
    if (!error.Text.empty()) {
        throw EEditError(error.Text);
    }
    if (!sink.Read) {
        throw EEditError("the preset does not read");
    }
    return std::move(sink.Shown);
}

} // namespace qvr
