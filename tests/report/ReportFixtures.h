#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/PresetBuilder.h"
#include "report/PresetModel.h"
#include "report/RenderContext.h"
#include "sysex/Qvrsysex.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qvr::test {

// Records what the report would show in message boxes.
class TRecordingNotifier : public IUserNotifier {
public:
    void ShowError(const std::string& text) override { Messages.push_back("error: " + text); }
    void ShowWarning(const std::string& text) override { Messages.push_back("warning: " + text); }
    std::vector<std::string> Messages;
};

// A test name from a case description: letters and digits, '_' for the rest.
std::string CaseName(const std::string& what);

// Names the cases of a parameterised test by their field What.
struct TNameByWhat {
    template <class TInfo> std::string operator()(const TInfo& info) const {
        return CaseName(info.param.What);
    }
};

// A small configuration of our own: the modules and modifiers the tests use.
//   fx:  1 Amp (types Clean 10, Crunch 11), 2 Cabinet (4x12 20), 3 Chorus
//        (Classic 30, Deep 31), 4 Input, 5 Misc, 6 Amplarium, 7 Output,
//        8 Delay (no type names)
//   modifiers: 1 Expression, 2 LFO 1
extern const char* const TestConfigText;
std::unique_ptr<TQvrConfig> LoadConfigText(const TTempFolder& dir, const std::string& text);

// A message whose body holds exactly `bytes`, ready to be read with NextByte.
std::unique_ptr<TKorvaneQVRSysEx> BodyMessage(const std::vector<uint8_t>& bytes);

// The lines of a preset's modules from `firstModule` on, as a test expects
// them: "<br>" and "<b>Heading</b>" for a module with a heading, "Name =
// user model" under it, "name = value" and a note's text.
std::vector<std::string> TraceLines(const TPreset& preset, size_t firstModule = 0);

// Writes down a report one line per item, as a test expects them: "start
// QVR-3", "preset QVR-3 #01 Name" (no '#' part without a number) for a preset
// with a heading, its modules' TraceLines, "end".
class TTraceSink : public IPresetSink {
public:
    void ReportStart(std::string_view model) override;
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override { Lines.emplace_back("end"); }

    std::vector<std::string> Lines;
};

// Drives a builder the way the renderers do, with texts as a test gives them:
// modules are components of that heading (none: a module without heading),
// values parameters whose text is the value.
class TEvents {
public:
    explicit TEvents(IPresetSink& sink) : Builder(sink) {}
    void ReportStart(std::string_view model) { Builder.ReportStart(model); }
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) {
        Builder.PresetHeading(model, number, name);
    }
    void ChainStart() { Builder.ChainStart(); }
    void ModuleStart(std::optional<std::string_view> heading, TNameSlot slot = TNameSlot::None);
    void Value(std::string_view name, std::string_view value);
    void Line(std::string_view text) { Builder.Note(text); }
    void UserModelName(TNameSlot slot, std::string_view name) { Builder.UserModelName(slot, name); }
    void ReportEnd() { Builder.ReportEnd(); }

    TPresetBuilder Builder;
};

// Everything the renderers work on, around one configuration.
struct TRenderBench {
    TTempFolder Dir;
    std::unique_ptr<TQvrConfig> Config = LoadConfigText(Dir, TestConfigText);
    TTraceSink Trace;
    TPresetBuilder Builder{Trace};
    TRenderState State;
    TRecordingNotifier Notifier;
    TRenderContext Context{*Config, Builder, State, Notifier, '.'};
    size_t FirstModule = 0;

    // The lines of the modules rendered since the last Forget.
    std::vector<std::string> AllLines() const;
    void Forget();
    // The kinds of the modules rendered.
    std::vector<TModuleKind> Kinds() const;
};

} // namespace qvr::test
