#include "report/PresetRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qvr {

namespace {

// The entries of a record's body: a kind byte, then each text as its length
// (7 bits a byte, lowest first, bit 7 set on all but the last) and its bytes.
const char ModuleEntry = static_cast<char>(TRecordReader::TKind::Module);
const char HeadlessModuleEntry = static_cast<char>(TRecordReader::TKind::HeadlessModule);
const char PairEntry = static_cast<char>(TRecordReader::TKind::Pair);
const char LineEntry = static_cast<char>(TRecordReader::TKind::Line);

// A module's key: its kind, its id (low byte first) and its position plus one
// (0 for none, low byte first); the kind and id are its identity.
constexpr size_t IdentityBytes = 3;
constexpr size_t KeyBytes = 5;

// Longest text of a length: 7 bits a byte for 64 bits.
constexpr size_t MaxLengthBytes = 10;

char* PutText(char* out, std::string_view text) {
    size_t length = text.size();
    while (length >= 0x80) {
        *out++ = static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    std::copy(text.begin(), text.end(), out); // an empty text may have no data at all
    return out + text.size();
}

// Appends an entry with one append: built on the stack when it is short, as
// nearly every entry is.
template <class... TTexts> void AppendEntry(std::string& body, char kind, TTexts... texts) {
    constexpr size_t ShortEntry = 256;
    const size_t most = 1 + ((MaxLengthBytes + texts.size()) + ...);
    std::array<char, ShortEntry> stack;
    std::string heap;
    char* const begin = most <= ShortEntry ? stack.data() : (heap.resize(most), heap.data());
    char* out = begin;
    *out++ = kind;
    ((out = PutText(out, texts)), ...);
    body.append(begin, static_cast<size_t>(out - begin));
}

} // namespace

std::string_view TRecordReader::ReadText() {
    size_t length = 0;
    for (int shift = 0; At < Body.size(); shift += 7) {
        const auto byte = static_cast<uint8_t>(Body[At++]);
        length |= static_cast<size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            break;
        }
    }
    const std::string_view text(Body.data() + At, std::min(length, Body.size() - At));
    At += text.size();
    return text;
}

bool TRecordReader::Next() {
    if (At >= Body.size()) {
        return false;
    }
    Kind = static_cast<TKind>(Body[At++]);
    Name = ReadText();
    Value = Kind == TKind::Line ? std::string_view() : ReadText();
    return true;
}

std::string_view ModuleIdentity(std::string_view key) {
    return key.substr(0, IdentityBytes);
}

TModuleRef ModuleRefOf(std::string_view key) {
    TModuleRef ref;
    if (key.size() < KeyBytes) {
        return ref; // not written so, but a body may say it
    }
    const auto byte = [key](size_t i) {
        return static_cast<int32_t>(static_cast<uint8_t>(key[i]));
    };
    const int32_t kind = byte(0) - 'a';
    if (kind < 0 || kind > static_cast<int32_t>(TModuleKind::UnknownModifier)) {
        return ref;
    }
    ref.Kind = static_cast<TModuleKind>(kind);
    ref.Id = byte(1) | (byte(2) << 8);
    if (const int32_t place = byte(3) | (byte(4) << 8); place > 0) {
        ref.Position = place - 1;
    }
    return ref;
}

std::vector<TRecordModule> RecordModules(const TPresetRecord& record) {
    using TKind = TRecordReader::TKind;
    std::vector<TRecordModule> modules;
    TRecordReader entry(record.Body);
    while (entry.Next()) {
        if (entry.Kind == TKind::Module || entry.Kind == TKind::HeadlessModule) {
            modules.push_back(TRecordModule{entry.Kind == TKind::Module ? std::optional(entry.Name)
                                                                        : std::nullopt,
                                            ModuleIdentity(entry.Value),
                                            ModuleRefOf(entry.Value),
                                            entry.Name,
                                            {}});
            continue;
        }
        if (modules.empty()) {
            modules.emplace_back(); // not written so, but a body may say it
        }
        modules.back().Lines.push_back(
            TRecordLine{entry.Name, entry.Value, entry.Kind == TKind::Pair});
    }
    return modules;
}

TPresetRecord RecordOf(const TPreset& preset) {
    TPresetRecord record{preset.Number, std::string(preset.Name), {}};
    std::string& body = record.Body;
    for (const TModule& module : preset.Modules) {
        // Positions count the chain's component records, at most 255.
        const int32_t place = module.Position ? *module.Position + 1 : 0;
        const char key[KeyBytes] = {
            static_cast<char>('a' + static_cast<int>(module.Kind)),
            static_cast<char>(module.Id & 0xFF), static_cast<char>((module.Id >> 8) & 0xFF),
            static_cast<char>(place & 0xFF), static_cast<char>((place >> 8) & 0xFF)};
        const std::string_view keyText(key, sizeof key);
        if (module.Heading) {
            AppendEntry(body, ModuleEntry, *module.Heading, keyText);
        } else {
            AppendEntry(body, HeadlessModuleEntry, module.Name, keyText);
        }
        if (module.UserModelName) {
            AppendEntry(body, PairEntry, std::string_view("Name"), *module.UserModelName);
        }
        ForEachShownLine(preset, module,
                         [&](std::string_view name, std::string_view value, TLineKind kind) {
                             if (kind == TLineKind::Note) {
                                 AppendEntry(body, LineEntry, name);
                             } else {
                                 AppendEntry(body, PairEntry, name, value);
                             }
                         });
    }
    body.shrink_to_fit(); // records are held until the end of a comparison
    return record;
}

} // namespace qvr
