#pragma once

#include "report/PresetModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace qvr {

// The channel modules whose user-model name a later message of the file may
// give: the first amp and cabinet of a chain are green, the next ones red.
enum class TNameSlot : uint8_t { None, GreenAmp, GreenCabinet, RedAmp, RedCabinet };

// Makes the presets of one report from what the renderers read, and hands
// each on to a sink once it is final. This is the one place where user-model
// names find their modules: a name names the module that holds its slot in
// the current chain, however many lines and presets came in between, so a
// preset is final only when the next chain starts or the report ends. The
// builder holds at most the presets since the current chain started.
//
// The calls follow the file: ReportStart at most once, then presets, chains,
// modules and their contents, and ReportEnd last. What comes before any
// preset header forms a preset without heading; what comes before any module
// of a preset, a Loose module.
class TPresetBuilder {
public:
    explicit TPresetBuilder(IPresetSink& sink) : Sink(sink) {}

    void ReportStart(std::string_view model);
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name);
    // A components message begins a new chain: names can no longer reach the
    // modules before.
    void ChainStart();
    // A module begins (its ranges are set here); `slot` is the channel a later
    // user-model name may name, which a later module of the same slot takes
    // over.
    void StartModule(const TModule& module, TNameSlot slot);
    // The same for an empty module that is then filled in place (its ranges
    // aside); valid until the next module or preset begins.
    TModule& AddModule(TNameSlot slot);
    // The module begun last, in the current preset (a Loose one when it has
    // none). Valid until the next module or preset begins.
    TModule& CurrentModule() {
        TPreset& preset = Current();
        if (preset.Modules.empty()) {
            AddModule(TNameSlot::None);
        }
        return preset.Modules.back();
    }
    // Keeps `text` with the current preset.
    std::string_view Store(std::string_view text) { return Current().Texts.Store(text); }
    // Where the current preset keeps its texts.
    TTextArena& Texts() { return Current().Texts; }
    void Parameter(const TParameter& parameter) { AddParameter() = parameter; }
    // A new, empty parameter of the current module, to be filled in place
    // before anything else is added.
    TParameter& AddParameter() {
        ++CurrentModule().ParameterCount;
        return Current().Parameters.emplace_back();
    }
    void Link(const TLink& link) { AddLink() = link; }
    // A new, empty link of the current module, to be filled in place before
    // anything else is added.
    TLink& AddLink() {
        ++CurrentModule().LinkCount;
        return Current().Links.emplace_back();
    }
    // A line that is not a parameter; the text is kept.
    void Note(std::string_view text);
    // The user-model name of the module that holds `slot` in the current
    // chain; nothing when no module holds it (any more).
    void UserModelName(TNameSlot slot, std::string_view name);
    // Hands on every preset still held, then ends the report.
    void ReportEnd();

    // The place (from 0) among the report's presets of the preset being read;
    // none before the first.
    std::optional<size_t> CurrentPresetIndex() const;
    // That preset; null before the first.
    const TPreset* CurrentPreset() const { return Open.empty() ? nullptr : Open.back().get(); }

private:
    struct TMark {
        size_t Preset; // its place among the report's presets
        size_t Module;
    };
    TPreset& Current() { return Open.empty() ? NewPreset() : *Open.back(); }
    TPreset& NewPreset();
    // Hands on the oldest presets that no mark reaches, keeping at least the
    // newest `keep`.
    void HandOn(size_t keep);
    // Sets the ranges of the module just added and the slot's mark.
    TModule& Begin(TPreset& preset, TNameSlot slot);

    IPresetSink& Sink;
    std::vector<std::unique_ptr<TPreset>> Open;  // oldest first; the last is current
    std::vector<std::unique_ptr<TPreset>> Spare; // handed on, kept for their room
    size_t FirstIndex = 0;                       // of Open.front()
    bool AnyHeading = false;
    std::array<std::optional<TMark>, 5> Marks;
};

} // namespace qvr
