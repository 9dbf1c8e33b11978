#include "edit/PresetValues.h"

#include "edit/BodyReader.h"
#include "report/ValueFormat.h"
#include "sysex/MessageIds.h"

#include <map>

namespace qvr {

namespace {

// Position bytes of this value mark an empty link.
constexpr int32_t NoLink = 255;

// A module of the chain, as a link finds it.
struct TChainEntry {
    const TQvrComponent* Component = nullptr;
    int32_t TypeIndex = 0;
    // The first two amps and cabinets: links find their parameters even when the type index
    // names no type (the first type's are taken then).
    bool Channel = false;
};

// The parameter a link to `entry` names by `paramIndex` (from 0): that of the first type of
// the selected type's id.
const TQvrParam* LinkedParam(const TChainEntry& entry, int32_t paramIndex) {
    if (entry.Component == nullptr) {
        return nullptr;
    }
    const TQvrComponent& component = *entry.Component;
    int32_t typeIndex = entry.TypeIndex;
    const auto names = static_cast<int32_t>(component.TypeNames.size());
    if (entry.Channel && (typeIndex < 0 || typeIndex >= names)) {
        typeIndex = 0;
    }
    if (typeIndex < 0 || typeIndex >= names) {
        return nullptr;
    }
    const int32_t typeId = component.TypeNames[static_cast<size_t>(typeIndex)].Id;
    for (size_t t = 0; t < component.Types.Count(); ++t) {
        const TQvrType& type = component.Types.Item(t);
        if (type.Id == typeId) {
            if (paramIndex >= 0 && static_cast<size_t>(paramIndex) < type.Params.Count()) {
                return &type.Params.Object(static_cast<size_t>(paramIndex));
            }
            return nullptr;
        }
    }
    return nullptr;
}

// The parameter of value `i` (from 1) of a record of type `typeId`: that of the first type
// of the id that has so many.
const TQvrParam* TypeParam(const TQvrComponent* component, int32_t typeId, int32_t i) {
    if (component == nullptr) {
        return nullptr;
    }
    for (size_t t = 0; t < component->Types.Count(); ++t) {
        const TQvrType& type = component->Types.Item(t);
        if (type.Id == typeId && type.Params.Count() >= static_cast<size_t>(i)) {
            return &type.Params.Object(static_cast<size_t>(i) - 1);
        }
    }
    return nullptr;
}

// Reads the records of one preset's messages in order, each becoming the next module.
class TRecordWalker {
public:
    TRecordWalker(const TQvrConfig& config, std::vector<TEditableModule>& modules)
        : Config(config), Modules(modules) {}

    void Message(const TDump& dump, size_t index) {
        const TDumpMessage& message = dump.Messages[index];
        const auto id = static_cast<TMessageId>(message.MessageId);
        if (id != TMessageId::Components && id != TMessageId::Modifiers) {
            return;
        }
        TBodyReader body(dump.MessageBytes(index));
        Body = &body;
        MessageIndex = index;
        Whole = true;
        SkipBytes(body, 3); // unused
        const int32_t count = body.NextByte();
        if (id == TMessageId::Components) {
            Chain.clear();
            AmpCount = 0;
            CabinetCount = 0;
        }
        for (int32_t i = 0; i < count; ++i) {
            if (!Whole) {
                // The report still makes a module of every record it was promised.
                NextModule();
            } else if (id == TMessageId::Components) {
                Component();
            } else {
                Modifier();
            }
        }
        // The report reads on past the payload (the checksum, then bytes of -1) where records
        // do not end within it: a value changed there would change what it shows of those.
        if (!Whole || body.Place() > body.PayloadEnd()) {
            for (TEditableModule& module : Modules) {
                std::erase_if(module.Values, [index](const TEditableValue& value) {
                    return value.Place.Message == index;
                });
            }
        }
        Body = nullptr;
    }

    size_t Records() const { return Next; }

private:
    // The module of the next record; none past the modules the report showed.
    TEditableModule* NextModule() {
        return Next < Modules.size() ? &Modules[Next++] : (++Next, nullptr);
    }

    // The next value and its place; none when it runs past the payload, which ends the walk of
    // the message.
    std::optional<std::pair<int32_t, TValuePlace>> Value() {
        const size_t start = Body->Place();
        const int32_t raw = ReadVarValue(*Body);
        const size_t end = Body->Place();
        if (end > Body->PayloadEnd()) {
            Whole = false;
            return std::nullopt;
        }
        return std::pair{raw, TValuePlace{MessageIndex, start, end - start}};
    }

    void Add(TEditableModule* module, const std::string& name, TValueRole role,
             const TQvrParam* param, const std::pair<int32_t, TValuePlace>& value) {
        if (module != nullptr && param != nullptr) {
            module->Values.push_back(TEditableValue{name, role, param, value.second, value.first});
        }
    }

    void Component() {
        TEditableModule* const module = NextModule();
        const int32_t componentId = Body->NextByte();
        const TQvrComponent* const component = Config.FindComponentById(componentId);
        Body->NextByte(); // unused
        const int32_t typeId = ReadWord16(*Body);
        const int32_t count = Body->NextByte();
        TChainEntry entry{component, 0, false};
        if (module != nullptr && module->Kind == TModuleKind::Amp) {
            entry.Channel = ++AmpCount <= 2;
        } else if (module != nullptr && module->Kind == TModuleKind::Cabinet) {
            entry.Channel = ++CabinetCount <= 2;
        }
        for (int32_t i = 0; i < count && Whole; ++i) {
            const auto value = Value();
            if (!value) {
                break;
            }
            if (i == 0) {
                entry.TypeIndex = value->first;
                continue;
            }
            if (const TQvrParam* param = TypeParam(component, typeId, i)) {
                Add(module, std::string(ShownParameterName(param->Name)), TValueRole::Parameter,
                    param, *value);
            }
        }
        Chain.push_back(entry);
    }

    void Modifier() {
        TEditableModule* const module = NextModule();
        const TQvrModifier* const modifier = Config.FindModifierById(Body->NextByte());
        const int32_t count = Body->NextByte();
        for (int32_t i = 0; i < count && Whole; ++i) {
            const auto value = Value();
            if (value && modifier != nullptr && modifier->Params.Count() > static_cast<size_t>(i)) {
                const TQvrParam& param = modifier->Params.Object(static_cast<size_t>(i));
                Add(module, std::string(ShownParameterName(param.Name)), TValueRole::Parameter,
                    &param, *value);
            }
        }
        const int32_t links = Body->NextByte();
        for (int32_t link = 0; link < links && Whole; ++link) {
            const int32_t position = Body->NextByte();
            const int32_t paramIndex = Body->NextByte() - 1;
            const auto max = Value();
            const auto min = Whole ? Value() : std::nullopt;
            if (!max || !min || position == NoLink || position < 0 ||
                static_cast<size_t>(position) >= Chain.size()) {
                continue;
            }
            const TQvrParam* param = LinkedParam(Chain[static_cast<size_t>(position)], paramIndex);
            const std::string name = "Link " + std::to_string(link + 1);
            Add(module, name + " Max", TValueRole::LinkMax, param, *max);
            Add(module, name + " Min", TValueRole::LinkMin, param, *min);
        }
    }

    const TQvrConfig& Config;
    std::vector<TEditableModule>& Modules;
    TBodyReader* Body = nullptr;
    size_t MessageIndex = 0;
    bool Whole = true;
    size_t Next = 0;
    std::vector<TChainEntry> Chain;
    int32_t AmpCount = 0;
    int32_t CabinetCount = 0;
};

std::string LabelOf(const TModule& module) {
    if (module.Heading) {
        return std::string(*module.Heading);
    }
    if (!module.Name.empty()) {
        return std::string(module.Name);
    }
    return std::string(ModuleKindName(module.Kind)) + " " + std::to_string(module.Id);
}

} // namespace

std::vector<TEditableModule> ReadEditableModules(const TDump& dump, const TDumpPreset& preset,
                                                 const TQvrConfig& config, const TPreset& shown) {
    std::vector<TEditableModule> modules;
    std::map<std::string, int> seen;
    for (const TModule& module : shown.Modules) {
        if (module.Kind == TModuleKind::Loose) {
            continue;
        }
        TEditableModule& added = modules.emplace_back();
        added.Label = LabelOf(module);
        if (const int repeat = ++seen[added.Label]; repeat > 1) {
            added.Label += " #" + std::to_string(repeat);
        }
        added.Kind = module.Kind;
        added.Id = module.Id;
        added.Position = module.Position;
        added.TypeId = module.TypeId;
        added.TypeName = std::string(module.TypeName);
        if (module.Heading) {
            added.Heading = std::string(*module.Heading);
        }
    }
    TRecordWalker walker(config, modules);
    for (size_t i = 0; i < preset.MessageCount; ++i) {
        walker.Message(dump, preset.FirstMessage + i);
    }
    if (walker.Records() != modules.size()) {
        throw EEditError("the preset's records do not read as its report shows them");
    }
    return modules;
}

} // namespace qvr
