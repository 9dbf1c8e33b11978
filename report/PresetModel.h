#pragma once

#include "report/TextArena.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// What each preset of a file holds, as data: made once per preset by
// TPresetBuilder from the file's messages and the product configuration, and
// written by every format (HTML, text, CSV, JSON), compared and indexed.
//
//   preset -> modules in chain order -> parameters, links and notes
//
// Texts are the bytes of the preset and configuration files (windows-1252),
// unescaped. They are views that stay valid as long as the preset they belong
// to (into the configuration, or into the preset's own Texts).

// What a module is. Input and Output have no heading in the report; a record
// whose component or modifier the configuration does not know has none
// either. Loose holds what a preset shows before its first module.
enum class TModuleKind : uint8_t {
    Loose,
    Input,
    Output,
    Amp,       // an amp channel: "Green Amp", "Red Amp"
    Cabinet,   // a cabinet channel: "Green Cabinet", "Red Cabinet"
    Component, // any other component of the configuration
    UnknownComponent,
    Modifier,
    UnknownModifier,
};

// The kind's name in data formats: "loose", "input", "output", "amp",
// "cabinet", "component", "unknown component", "modifier", "unknown modifier".
std::string_view ModuleKindName(TModuleKind kind);

// The name a parameter's line shows: "Status" for the on/off switch of a
// module ("On/Off"), the name itself otherwise.
inline std::string_view ShownParameterName(std::string_view name) {
    return name == "On/Off" ? std::string_view("Status") : name;
}

// The unit a configuration's parameter name ends in, as "dB" of "Output Level
// (dB)"; empty when the name ends in none.
std::string_view ParameterUnit(std::string_view name);

// One parameter value of a module (the module's type comes first, as the
// parameter the configuration names the type by, when it has one).
struct TParameter {
    std::string_view Name;        // as the configuration gives it ("On/Off")
    std::string_view Text;        // the value as the report shows it
    std::optional<double> Number; // the value when it is a number (scaled)
    int32_t Raw = 0;              // the number in the file
    bool IsType = false;          // the module's type, named by the configuration
    // The name the report shows: "Status" for a module's on/off switch.
    std::string_view ShownName() const { return IsType ? Name : ShownParameterName(Name); }
};

// A value: the raw number in the file, its value as a number when the
// parameter shows a number (scaled), and its text as the report shows it.
struct TValue {
    int32_t Raw = 0;
    std::optional<double> Number;
    std::string_view Text;
};

// How far a link could be followed.
enum class TLinkTarget : uint8_t {
    Parameter,      // a parameter of a module of the chain
    ParameterIndex, // a module of the chain, but its type has no such parameter
    BeyondChain,    // a position past the end of the chain
};

// A link of a modifier to a parameter of a module of the current chain.
struct TLink {
    int32_t Index = 0; // the link's place among the modifier's links, from 0
    TLinkTarget Target = TLinkTarget::Parameter;
    int32_t Position = 0; // chain position of the module it targets
    // The heading of that module in the report; none when it has no heading
    // or lies beyond the chain.
    std::optional<std::string_view> ModuleHeading;
    int32_t ParameterIndex = 0; // the parameter's place in its type, from 0
    std::string_view Parameter; // its name (Target Parameter only)
    TValue Max;                 // as the linked parameter shows it; the raw number when unknown
    TValue Min;
    // The lines the report shows for it, in order ("Linked param" =
    // "Green Gain", "Max" = "10", ...).
    struct TLinkLine {
        std::string_view Name;
        std::string_view Value;
    };
    std::array<TLinkLine, 4> Shown{};
    uint8_t ShownCount = 0;
};

// A line of a module that is not a parameter: unknown data, "No link".
// It comes after AfterLinks of the module's links.
struct TNote {
    std::string_view Text;
    uint32_t AfterLinks = 0;
};

// One module of a preset; its parameters, links and notes are ranges of the
// preset's lists.
struct TModule {
    TModuleKind Kind = TModuleKind::Loose;
    // Place in the chain of component records (from 0); none for modifiers
    // and loose lines.
    std::optional<int32_t> Position;
    int32_t Id = 0;                          // the configuration's component or modifier id
    std::string_view Name;                   // its name there ("Amp", "LFO 1"); empty when unknown
    std::optional<int32_t> TypeId;           // the type selected (components)
    std::string_view TypeName;               // its name, when the configuration has one
    std::optional<std::string_view> Heading; // as the report shows it
    std::optional<std::string_view> UserModelName; // amps and cabinets
    int32_t LinksGiven = 0; // links the modifier record holds, empty ones too

    size_t FirstParameter = 0;
    size_t ParameterCount = 0;
    size_t FirstLink = 0;
    size_t LinkCount = 0;
    size_t FirstNote = 0;
    size_t NoteCount = 0;
};

struct TPreset {
    std::string_view Model;
    // False for the modules a file holds before its first preset header.
    bool HasHeading = false;
    std::optional<int32_t> Number; // 0 to 254; none for a preset without one
    std::string_view Name;
    std::vector<TModule> Modules;
    std::vector<TParameter> Parameters;
    std::vector<TLink> Links;
    std::vector<TNote> Notes;
    TTextArena Texts;

    std::span<const TParameter> ParametersOf(const TModule& module) const {
        return {Parameters.data() + module.FirstParameter, module.ParameterCount};
    }
    std::span<const TLink> LinksOf(const TModule& module) const {
        return {Links.data() + module.FirstLink, module.LinkCount};
    }
    std::span<const TNote> NotesOf(const TModule& module) const {
        return {Notes.data() + module.FirstNote, module.NoteCount};
    }
    // Empties the preset, keeping its room.
    void Clear();
};

// A message shown while a file was read: an error or a warning, and the place
// (from 0) among the report's presets of the preset it was met in; none before
// the first preset.
struct TReportMessage {
    bool IsError = false;
    std::string Text;
    std::optional<size_t> Preset;
    std::optional<int32_t> PresetNumber = {}; // that preset's number, when it has one
};

// Shows messages together with the preset they were met in. A notifier that
// a report is given and that is one of these too gets the report's messages
// through ShowInPreset instead of ShowError and ShowWarning.
class IPresetMessages {
public:
    virtual ~IPresetMessages() = default;
    virtual void ShowInPreset(const TReportMessage& message) = 0;
};

// Receives a report's presets, each once it is final. The calls come in this
// order: ReportStart at most once, first; Preset for each preset in file
// order; ReportEnd always, last, also for a file that could not be read.
// A preset is valid only during the call.
class IPresetSink {
public:
    virtual ~IPresetSink() = default;
    // The file's model is known and its configuration loaded.
    virtual void ReportStart(std::string_view model) = 0;
    // `headingFollows` tells, for the presetless modules before a file's
    // first preset header, whether a preset header came later.
    virtual void Preset(const TPreset& preset, bool headingFollows) = 0;
    virtual void ReportEnd() = 0;
    // A message shown while the file was read, before the presets that
    // follow it are handed on (the preset it names may still be held).
    virtual void Message(const TReportMessage& /*message*/) {}
    // True once the sink wants no more presets (a part of a report has all it shows): the
    // reader may stop before the file's end. ReportEnd still follows.
    virtual bool Finished() const { return false; }
};

// What a line the report shows for a module is: a name with a value that is a
// number's text (digits, sign and separator only), a name with any other
// value, or a note (a line without a value).
enum class TLineKind : uint8_t { NumberPair, Pair, Note };

// Calls `each(std::string_view name, std::string_view value, TLineKind kind)`
// for every line the report shows for `module` (the user-model name and
// heading aside), in order: its parameters, then its links and notes as they
// came. The parts go on one by one, which keeps them in registers.
template <class TEach>
void ForEachShownLine(const TPreset& preset, const TModule& module, const TEach& each) {
    for (const TParameter& parameter : preset.ParametersOf(module)) {
        each(parameter.ShownName(), parameter.Text,
             parameter.Number ? TLineKind::NumberPair : TLineKind::Pair);
    }
    const std::span<const TLink> links = preset.LinksOf(module);
    size_t link = 0;
    const auto linkLines = [&](size_t until) {
        for (; link < until && link < links.size(); ++link) {
            for (size_t i = 0; i < links[link].ShownCount; ++i) {
                each(links[link].Shown[i].Name, links[link].Shown[i].Value, TLineKind::Pair);
            }
        }
    };
    for (const TNote& note : preset.NotesOf(module)) {
        linkLines(note.AfterLinks);
        each(note.Text, std::string_view(), TLineKind::Note);
    }
    linkLines(links.size());
}

} // namespace qvr
