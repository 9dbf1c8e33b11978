#include "report/PresetRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qvr {

namespace {

// The entries of a record's body: a kind byte, then each text as its length
// (7 bits a byte, lowest first, bit 7 set on all but the last) and its bytes.
const char ModuleEntry = static_cast<char>(TRecordReader::TKind::Module);
const char PairEntry = static_cast<char>(TRecordReader::TKind::Pair);
const char LineEntry = static_cast<char>(TRecordReader::TKind::Line);

// Longest text of a length: 7 bits a byte for 64 bits.
constexpr size_t MaxLengthBytes = 10;

char* PutText(char* out, std::string_view text) {
    size_t length = text.size();
    while (length >= 0x80) {
        *out++ = static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    std::memcpy(out, text.data(), text.size());
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

std::string PairEntryText(std::string_view name, std::string_view value) {
    std::string entry;
    AppendEntry(entry, PairEntry, name, value);
    return entry;
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
    Value = Kind == TKind::Pair ? ReadText() : std::string_view();
    return true;
}

std::vector<TRecordModule> RecordModules(const TPresetRecord& record) {
    std::vector<TRecordModule> modules;
    TRecordReader entry(record.Body);
    while (entry.Next()) {
        if (entry.Kind == TRecordReader::TKind::Module) {
            modules.push_back(TRecordModule{entry.Name, {}});
            continue;
        }
        if (modules.empty()) {
            modules.emplace_back();
        }
        modules.back().Lines.push_back(
            TRecordLine{entry.Name, entry.Value, entry.Kind == TRecordReader::TKind::Pair});
    }
    return modules;
}

TPresetRecord& TPresetCollector::Current() {
    if (Open.empty()) {
        Open.emplace_back();
    }
    return Open.back();
}

void TPresetCollector::HandOn(bool all) {
    const size_t keep = all ? 0 : 1;
    size_t handed = 0;
    while (Open.size() - handed > keep) {
        const size_t serial = FirstSerial + handed;
        bool reached = false;
        for (const std::optional<TMark>& mark : Marks) {
            reached = reached || (mark && mark->Preset == serial);
        }
        if (reached) {
            break;
        }
        OnPreset(std::move(Open[handed]));
        ++handed;
    }
    Open.erase(Open.begin(), Open.begin() + static_cast<std::ptrdiff_t>(handed));
    FirstSerial += handed;
}

void TPresetCollector::ReportStart(std::string_view model) {
    if (OnModel) {
        OnModel(model);
    }
}

void TPresetCollector::PresetHeading(std::string_view, std::optional<int32_t> number,
                                     std::string_view name) {
    Open.push_back(TPresetRecord{number, std::string(name), {}});
    HandOn(false);
}

void TPresetCollector::ChainStart() {
    Marks.fill(std::nullopt);
    HandOn(false);
}

void TPresetCollector::ModuleStart(std::string_view heading, TNameSlot slot) {
    std::string& body = Current().Body;
    AppendEntry(body, ModuleEntry, heading);
    if (slot != TNameSlot::None) {
        Marks[static_cast<size_t>(slot)] = TMark{FirstSerial + Open.size() - 1, body.size()};
    }
}

void TPresetCollector::Value(std::string_view name, std::string_view value) {
    AppendEntry(Current().Body, PairEntry, name, value);
}

void TPresetCollector::Line(std::string_view text) {
    AppendEntry(Current().Body, LineEntry, text);
}

void TPresetCollector::UserModelName(TNameSlot slot, std::string_view name) {
    std::optional<TMark>& mark = Marks[static_cast<size_t>(slot)];
    if (!mark) {
        return;
    }
    const TMark at = *mark;
    mark.reset();
    const std::string entry = PairEntryText("Name", name);
    Open[at.Preset - FirstSerial].Body.insert(at.At, entry);
    for (std::optional<TMark>& other : Marks) {
        if (other && other->Preset == at.Preset && other->At >= at.At) {
            other->At += entry.size();
        }
    }
}

void TPresetCollector::ReportEnd() {
    Marks.fill(std::nullopt);
    HandOn(true);
}

} // namespace qvr
