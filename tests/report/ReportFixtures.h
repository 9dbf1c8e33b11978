#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/RenderContext.h"
#include "report/ReportSink.h"
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

// Writes down the report's events one per line, as a test expects them:
//   "start QVR-3", "preset QVR-3 #01 Name" (no '#' part without a number),
//   "chain", "<br>" and "<b>Heading</b>" for a module, "name = value", a
//   line's text, "user model green amp = Name", "end".
class TTraceSink : public IReportSink {
public:
    void ReportStart(std::string_view model) override;
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override { Lines.emplace_back("chain"); }
    void ModuleStart(std::string_view heading, TNameSlot slot) override;
    void Value(std::string_view name, std::string_view value) override;
    void Line(std::string_view text) override { Lines.emplace_back(text); }
    void UserModelName(TNameSlot slot, std::string_view name) override;
    void ReportEnd() override { Lines.emplace_back("end"); }

    std::vector<std::string> Lines;
    std::vector<TNameSlot> Slots; // of the modules, in order
};

// Everything the renderers work on, around one configuration.
struct TRenderBench {
    TTempFolder Dir;
    std::unique_ptr<TQvrConfig> Config = LoadConfigText(Dir, TestConfigText);
    TTraceSink Trace;
    TRenderState State;
    TRecordingNotifier Notifier;
    TRenderContext Context{*Config, Trace, State, Notifier, '.'};

    std::vector<std::string> AllLines() const { return Trace.Lines; }
};

} // namespace qvr::test
