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

std::string_view ShownParameterName(std::string_view name) {
    return name == "On/Off" ? std::string_view("Status") : name;
}

std::string_view TParameter::ShownName() const {
    return IsType ? Name : ShownParameterName(Name);
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

TPreset& TPresetBuilder::Current() {
    return Open.empty() ? NewPreset() : *Open.back();
}

std::optional<size_t> TPresetBuilder::CurrentPresetIndex() const {
    if (Open.empty()) {
        return std::nullopt;
    }
    return FirstIndex + Open.size() - 1;
}

void TPresetBuilder::HandOn(bool all) {
    const size_t keep = all ? 0 : 1;
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
    TPreset& preset = NewPreset();
    preset.Model = preset.Texts.Store(model);
    preset.HasHeading = true;
    preset.Number = number;
    preset.Name = preset.Texts.Store(name);
    HandOn(false);
}

void TPresetBuilder::ChainStart() {
    Marks.fill(std::nullopt);
    HandOn(false);
}

void TPresetBuilder::StartModule(const TModule& module, TNameSlot slot) {
    TPreset& preset = Current();
    TModule& added = preset.Modules.emplace_back(module);
    added.FirstParameter = preset.Parameters.size();
    added.ParameterCount = 0;
    added.FirstLink = preset.Links.size();
    added.LinkCount = 0;
    added.FirstNote = preset.Notes.size();
    added.NoteCount = 0;
    if (slot != TNameSlot::None) {
        Marks[static_cast<size_t>(slot)] = TMark{*CurrentPresetIndex(), preset.Modules.size() - 1};
    }
}

TModule& TPresetBuilder::CurrentModule() {
    TPreset& preset = Current();
    if (preset.Modules.empty()) {
        StartModule(TModule{}, TNameSlot::None);
    }
    return preset.Modules.back();
}

std::string_view TPresetBuilder::Store(std::string_view text) {
    return Current().Texts.Store(text);
}

void TPresetBuilder::Parameter(const TParameter& parameter) {
    ++CurrentModule().ParameterCount;
    Current().Parameters.push_back(parameter);
}

void TPresetBuilder::Link(const TLink& link) {
    ++CurrentModule().LinkCount;
    Current().Links.push_back(link);
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
    HandOn(true);
    Sink.ReportEnd();
}

} // namespace qvr
