#include "edit/PresetEditor.h"

#include "edit/ShownValue.h"
#include "report/ValueFormat.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace qvr {

namespace {

// Edits read and show numbers with this separator, whatever the user's locale.
constexpr char Separator = '.';

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The one of `items` that `name(item)` calls `wanted`: exactly, else whatever the case when
// only one does.
template <class T, class TName>
const T* FindNamed(const std::vector<T>& items, std::string_view wanted, const TName& name) {
    for (const T& item : items) {
        if (name(item) == wanted) {
            return &item;
        }
    }
    const T* found = nullptr;
    for (const T& item : items) {
        if (SameText(name(item), wanted)) {
            if (found != nullptr) {
                return nullptr;
            }
            found = &item;
        }
    }
    return found;
}

std::string Quoted(std::string_view text) {
    return std::string("'").append(text).append("'");
}

template <class T, class TName> std::string NameList(const std::vector<T>& items, TName name) {
    std::string list;
    for (const T& item : items) {
        list += (list.empty() ? "" : ", ") + Quoted(name(item));
    }
    return list.empty() ? "none" : list;
}

} // namespace

size_t EditablePresetIndex(const TDump& dump, std::optional<int32_t> number) {
    if (number) {
        const TDumpPreset* const preset = dump.PresetNumbered(*number);
        if (preset == nullptr) {
            throw EEditError("the file holds no preset " + std::to_string(*number));
        }
        return static_cast<size_t>(preset - dump.Presets.data());
    }
    if (dump.Presets.size() != 1) {
        throw EEditError(dump.Presets.empty()
                             ? std::string("the file holds no preset")
                             : "the file holds " + std::to_string(dump.Presets.size()) +
                                   " presets: name one as FILE:N");
    }
    return 0;
}

TPresetEditor::TPresetEditor(TDump dump, size_t preset, std::shared_ptr<const TQvrConfig> config,
                             TDeviceUse use)
    : File(std::move(dump)), PresetIndex(preset), Config(std::move(config)), Use(std::move(use)) {
    if (!File.Problem.empty()) {
        throw EEditError(File.Problem);
    }
    if (PresetIndex >= File.Presets.size()) {
        throw EEditError("the file holds no such preset");
    }
    TShownPreset shown = ReadShownPreset(File, Preset(), *Config);
    ModelTitle = std::move(shown.Model);
    EditModules = std::move(shown.Modules);

    // Names: as the library has seen them for the model, else printable ASCII; never shorter
    // or poorer than the file's own.
    if (Use.Names && !Use.Names->Empty()) {
        Names = *Use.Names;
    } else {
        for (int c = 0x20; c < 0x7F; ++c) {
            Names.Characters[static_cast<size_t>(c)] = true;
        }
    }
    for (const TDumpPreset& each : File.Presets) {
        Names.Add(each.Header.Name);
    }
}

std::string TPresetEditor::Name() const {
    return Changes.Name ? *Changes.Name : Preset().Header.Name;
}

int32_t TPresetEditor::Raw(const TEditableValue& value) const {
    const auto it = Changes.Values.find(value.Place);
    return it != Changes.Values.end() ? it->second : value.Raw;
}

std::string TPresetEditor::Text(const TEditableValue& value) const {
    return FormatParamValue(*value.Param, Raw(value), Separator);
}

bool TPresetEditor::DeviceUses(const TEditableModule& module, const TEditableValue& value,
                               int32_t raw) {
    if (InConfigRange(*value.Param, raw)) {
        return true;
    }
    // The library keeps the values of parameters; a link's range has only the parameter's.
    if (!Use.Values || value.Role != TValueRole::Parameter) {
        return false;
    }
    auto seen = Seen.find(value.Place);
    if (seen == Seen.end()) {
        std::optional<std::string_view> heading;
        if (module.Heading) {
            heading = *module.Heading;
        }
        const TSeenKey key{ModelTitle,    ModuleKindName(module.Kind),
                           module.TypeId, module.TypeName,
                           heading,       value.Name};
        seen = Seen.emplace(value.Place, Use.Values(key)).first;
    }
    return std::find(seen->second.begin(), seen->second.end(), raw) != seen->second.end();
}

const TEditableModule* TPresetEditor::FindModule(std::string_view label,
                                                 std::string& problem) const {
    const TEditableModule* const module = FindNamed(
        EditModules, label, [](const TEditableModule& m) -> std::string_view { return m.Label; });
    if (module == nullptr) {
        problem = "the preset has no module " + Quoted(label) + "; its modules are " +
                  NameList(EditModules, [](const TEditableModule& m) { return m.Label; });
    }
    return module;
}

TEditResult TPresetEditor::Set(std::string_view module, std::string_view name,
                               std::string_view text, bool force) {
    TEditResult result;
    const TEditableModule* const found = FindModule(module, result.Problem);
    if (found == nullptr) {
        return result;
    }
    const TEditableValue* const value = FindNamed(
        found->Values, name, [](const TEditableValue& v) -> std::string_view { return v.Name; });
    if (value == nullptr) {
        // A switch goes by its configuration's name too.
        for (const TEditableValue& each : found->Values) {
            if (each.Param->Name == name && each.Role == TValueRole::Parameter) {
                return Set(module, each.Name, text, force);
            }
        }
        result.Problem = found->Label + " has no value " + Quoted(name) + " to edit";
        const TQvrComponent* const component =
            found->Position ? Config->FindComponentById(found->Id) : nullptr;
        if (component != nullptr && !component->TypeLabel.empty() &&
            SameText(name, component->TypeLabel)) {
            result.Problem += " (a module's type is shown, not edited)";
        }
        result.Problem += "; its values are " +
                          NameList(found->Values, [](const TEditableValue& v) { return v.Name; });
        return result;
    }
    const TRawValue raw = RawForShownText(*value->Param, text, Raw(*value));
    if (!raw.Raw) {
        result.Problem = found->Label + ": " + raw.Problem;
        return result;
    }
    return SetRaw(*found, *value, *raw.Raw, force);
}

TEditResult TPresetEditor::SetRaw(const TEditableModule& module, const TEditableValue& value,
                                  int32_t raw, bool force) {
    TEditResult result;
    result.Module = module.Label;
    result.Name = value.Name;
    result.Old = Text(value);
    result.New = FormatParamValue(*value.Param, raw, Separator);
    if (!DeviceUses(module, value, raw)) {
        if (!force) {
            result.NeedsForce = true;
            result.Problem = module.Label + ": " + value.Name + " " + Quoted(result.New) +
                             " lies outside what the device uses (" +
                             ConfigRangeText(*value.Param) +
                             ", and the values the library has seen)";
            return result;
        }
        result.Forced = true;
    }
    if (raw == value.Raw) {
        Changes.Values.erase(value.Place);
    } else {
        Changes.Values[value.Place] = raw;
    }
    result.Done = true;
    return result;
}

TEditResult TPresetEditor::Rename(std::string_view name, bool force) {
    TEditResult result;
    result.Name = "Name";
    result.Old = Name();
    result.New = std::string(name);
    if (name.find('\0') != std::string_view::npos) {
        result.Problem = "a preset name cannot hold a 0 byte";
        return result;
    }
    if (!HeaderHoldsName(File.MessageBytes(Preset().FirstMessage))) {
        result.Problem = "the preset's header holds no name that ends before its checksum";
        return result;
    }
    std::string unknown;
    for (const char c : name) {
        if (!Names.Characters[static_cast<uint8_t>(c)] && unknown.find(c) == std::string::npos) {
            unknown.push_back(c);
        }
    }
    if (!unknown.empty() || name.size() > Names.Longest) {
        if (!force) {
            result.NeedsForce = true;
            result.Problem = "the name " + Quoted(name) +
                             (unknown.empty() ? std::string()
                                              : " has characters no " + ModelTitle +
                                                    " preset name has (" + Quoted(unknown) + ")") +
                             (!unknown.empty() && name.size() > Names.Longest ? " and" : "") +
                             (name.size() > Names.Longest
                                  ? " is longer than the " + std::to_string(Names.Longest) +
                                        " characters of the longest name seen"
                                  : std::string());
            return result;
        }
        result.Forced = true;
    }
    if (name == Preset().Header.Name) {
        Changes.Name.reset();
    } else {
        Changes.Name = std::string(name);
    }
    result.Done = true;
    return result;
}

std::string TPresetEditor::Bytes() const {
    std::string bytes;
    try {
        bytes = ApplyEdits(File, Preset(), Changes);
    } catch (const std::invalid_argument& e) {
        throw EEditError(e.what());
    }
    const TDump check = ReadDump(bytes);
    if (!check.Problem.empty() || check.Messages.size() != File.Messages.size() ||
        check.Presets.size() != File.Presets.size()) {
        throw EEditError("the edited file does not read back: " + check.Problem);
    }
    return bytes;
}

} // namespace qvr
