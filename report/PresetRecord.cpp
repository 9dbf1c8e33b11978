#include "report/PresetRecord.h"

namespace qvr {

namespace {

// The entries of a record's body: a kind byte, then each text as its length
// (7 bits a byte, lowest first, bit 7 set on all but the last) and its bytes.
const char ModuleEntry = 'M';
const char PairEntry = 'V';
const char LineEntry = 'L';

void AppendText(std::string& body, std::string_view text) {
    size_t length = text.size();
    while (length >= 0x80) {
        body.push_back(static_cast<char>(0x80 | (length & 0x7F)));
        length >>= 7;
    }
    body.push_back(static_cast<char>(length));
    body.append(text);
}

std::string_view ReadText(std::string_view body, size_t& at) {
    size_t length = 0;
    for (int shift = 0; at < body.size(); shift += 7) {
        const auto byte = static_cast<uint8_t>(body[at++]);
        length |= static_cast<size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            break;
        }
    }
    const std::string_view text = body.substr(at, length);
    at += text.size();
    return text;
}

std::string PairEntryText(std::string_view name, std::string_view value) {
    std::string entry(1, PairEntry);
    AppendText(entry, name);
    AppendText(entry, value);
    return entry;
}

} // namespace

std::vector<TRecordModule> RecordModules(const TPresetRecord& record) {
    std::vector<TRecordModule> modules;
    const std::string_view body = record.Body;
    size_t at = 0;
    while (at < body.size()) {
        const char kind = body[at++];
        if (kind == ModuleEntry) {
            modules.push_back(TRecordModule{ReadText(body, at), {}});
            continue;
        }
        if (modules.empty()) {
            modules.emplace_back();
        }
        TRecordLine line;
        line.Name = ReadText(body, at);
        if (kind == PairEntry) {
            line.Value = ReadText(body, at);
            line.IsPair = true;
        }
        modules.back().Lines.push_back(line);
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
    body.push_back(ModuleEntry);
    AppendText(body, heading);
    if (slot != TNameSlot::None) {
        Marks[static_cast<size_t>(slot)] = TMark{FirstSerial + Open.size() - 1, body.size()};
    }
}

void TPresetCollector::Value(std::string_view name, std::string_view value) {
    std::string& body = Current().Body;
    body.push_back(PairEntry);
    AppendText(body, name);
    AppendText(body, value);
}

void TPresetCollector::Line(std::string_view text) {
    std::string& body = Current().Body;
    body.push_back(LineEntry);
    AppendText(body, text);
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
