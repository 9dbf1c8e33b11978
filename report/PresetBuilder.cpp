#include "report/PresetBuilder.h"

namespace qvr {

std::string_view ModuleKindName(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Loose:
        return "loose";
    case TModuleKind::Input:
        return "input";
    case TModuleKind::Output:
        return "output";
    case TModuleKind::Amp:
        return "amp";
    case TModuleKind::Cabinet:
        return "cabinet";
    case TModuleKind::Component:
        return "component";
    case TModuleKind::UnknownComponent:
        return "unknown component";
    case TModuleKind::Modifier:
        return "modifier";
    case TModuleKind::UnknownModifier:
        return "unknown modifier";
    }
    return "loose";
}

std::string_view ParameterUnit(std::string_view name) {
    const size_t open = name.rfind(" (");
    if (open == std::string_view::npos || name.back() != ')') {
        return {};
    }
    const std::string_view unit = name.substr(open + 2, name.size() - open - 3);
    return unit.find_first_of("()") == std::string_view::npos ? unit : std::string_view();
}

void TPreset::Clear() {
    Model = {};
    HasHeading = false;
    Number.reset();
    Name = {};
    Modules.clear();
    Parameters.clear();
    Links.clear();
    Notes.clear();
    Texts.Clear();
}

TPreset& TPresetBuilder::NewPreset() {
    if (Spare.empty()) {
        Open.push_back(std::make_unique<TPreset>());
    } else {
        Open.push_back(std::move(Spare.back()));
        Spare.pop_back();
    }
    return *Open.back();
}

std::optional<size_t> TPresetBuilder::CurrentPresetIndex() const {
    if (Open.empty()) {
        return std::nullopt;
    }
    return FirstIndex + Open.size() - 1;
}

void TPresetBuilder::HandOn(size_t keep) {
    size_t handed = 0;
    while (Open.size() - handed > keep) {
        const size_t index = FirstIndex + handed;
        bool reached = false;
        for (const std::optional<TMark>& mark : Marks) {
            reached = reached || (mark && mark->Preset == index);
        }
        if (reached) {
            break;
        }
        Sink.Preset(*Open[handed], AnyHeading);
        Open[handed]->Clear();
        Spare.push_back(std::move(Open[handed]));
        ++handed;
    }
    Open.erase(Open.begin(), Open.begin() + static_cast<std::ptrdiff_t>(handed));
    FirstIndex += handed;
}

void TPresetBuilder::ReportStart(std::string_view model) {
    Sink.ReportStart(model);
}

void TPresetBuilder::PresetHeading(std::string_view model, std::optional<int32_t> number,
                                   std::string_view name) {
    AnyHeading = true;
    // The presets before go first, so that the new one most often takes over
    // the room of the one just written, still in the processor's cache.
    HandOn(0);
    TPreset& preset = NewPreset();
    preset.Model = preset.Texts.Store(model);
    preset.HasHeading = true;
    preset.Number = number;
    preset.Name = preset.Texts.Store(name);
}

void TPresetBuilder::ChainStart() {
    Marks.fill(std::nullopt);
    HandOn(1);
}

void TPresetBuilder::StartModule(const TModule& module, TNameSlot slot) {
    TPreset& preset = Current();
    preset.Modules.push_back(module);
    Begin(preset, slot);
}

TModule& TPresetBuilder::AddModule(TNameSlot slot) {
    TPreset& preset = Current();
    preset.Modules.emplace_back();
    return Begin(preset, slot);
}

TModule& TPresetBuilder::Begin(TPreset& preset, TNameSlot slot) {
    TModule& added = preset.Modules.back();
    added.FirstParameter = preset.Parameters.size();
    added.ParameterCount = 0;
    added.FirstLink = preset.Links.size();
    added.LinkCount = 0;
    added.FirstNote = preset.Notes.size();
    added.NoteCount = 0;
    if (slot != TNameSlot::None) {
        Marks[static_cast<size_t>(slot)] = TMark{*CurrentPresetIndex(), preset.Modules.size() - 1};
    }
    return added;
}

void TPresetBuilder::Note(std::string_view text) {
    TModule& module = CurrentModule();
    ++module.NoteCount;
    Current().Notes.push_back(TNote{Store(text), static_cast<uint32_t>(module.LinkCount)});
}

void TPresetBuilder::UserModelName(TNameSlot slot, std::string_view name) {
    std::optional<TMark>& mark = Marks[static_cast<size_t>(slot)];
    if (!mark) {
        return;
    }
    TPreset& preset = *Open[mark->Preset - FirstIndex];
    preset.Modules[mark->Module].UserModelName = preset.Texts.Store(name);
    mark.reset();
}

void TPresetBuilder::ReportEnd() {
    Marks.fill(std::nullopt);
    HandOn(0);
    Sink.ReportEnd();
}

} // namespace qvr
