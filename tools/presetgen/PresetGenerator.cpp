#include "tools/presetgen/PresetGenerator.h"

#include "sysex/Products.h"
#include "sysex/Qvrsysex.h"
#include "tools/presetgen/DescriptionError.h"
#include "tools/presetgen/VarValue.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <utility>

namespace qvr {

namespace {

constexpr int32_t KorvaneManufacturer = 0x10; // bytes 0x00 0x00 0x10
constexpr uint8_t NoLink = 255;
constexpr uint8_t NoNumberIndex = 254;

// The words of one line after the command: positional words in order and
// key=value words by key. Every key must be taken, so that a misspelt key
// is an error rather than silently ignored.
class TArgs {
public:
    TArgs(const std::string& command, const std::vector<TLineToken>& tokens) : Command(command) {
        for (const TLineToken& t : tokens) {
            if (t.Key.empty()) {
                Positional.push_back(t);
            } else if (!Keys.emplace(t.Key, t.Value).second) {
                throw EDescriptionError("'" + t.Key + "' given twice");
            }
        }
    }

    size_t Count() const { return Positional.size(); }
    const TLineToken& At(size_t i) const { return Positional.at(i); }

    std::optional<std::string> Take(const std::string& key) {
        const auto it = Keys.find(key);
        if (it == Keys.end()) {
            return std::nullopt;
        }
        std::string value = it->second;
        Keys.erase(it);
        return value;
    }

    std::string Require(const std::string& key) {
        std::optional<std::string> v = Take(key);
        if (!v) {
            throw EDescriptionError("'" + Command + "' needs " + key + "=");
        }
        return *v;
    }

    void ExpectPositional(size_t min, size_t max, const char* usage) const {
        if (Positional.size() < min || Positional.size() > max) {
            throw EDescriptionError(std::string("usage: ") + usage);
        }
    }

    void Done() const {
        if (!Keys.empty()) {
            throw EDescriptionError("'" + Command + "' has no key '" + Keys.begin()->first + "'");
        }
    }

private:
    std::string Command;
    std::vector<TLineToken> Positional;
    std::map<std::string, std::string> Keys;
};

std::string FirstWord(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) {
        return {};
    }
    const size_t end = line.find_first_of(" \t\r", start);
    return std::string(line.substr(start, end == std::string_view::npos ? end : end - start));
}

void AppendText(std::vector<uint8_t>& out, const std::string& text) {
    for (const char c : text) {
        out.push_back(static_cast<uint8_t>(c));
    }
    out.push_back(0);
}

int HexByte(const std::string& text) {
    if (text.empty() || text.size() > 2) {
        return -1;
    }
    int v = 0;
    for (const char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        }
        if (d < 0) {
            return -1;
        }
        v = v * 16 + d;
    }
    return v;
}

} // namespace

void TPresetGenerator::Run(const std::vector<std::string>& lines) {
    Lines = lines;
    MatchRepeats();
    Process(0, Lines.size());
    CurrentLine = 0;
    try {
        CloseBlock();
    } catch (EDescriptionError& e) {
        throw EDescriptionError(e.what(), e.Line != 0 ? e.Line : static_cast<int>(Lines.size()));
    }
}

void TPresetGenerator::MatchRepeats() {
    RepeatEnd.assign(Lines.size(), 0);
    std::vector<size_t> open;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const std::string word = FirstWord(StripComment(Lines[i]));
        if (word == "repeat") {
            open.push_back(i);
        } else if (word == "end") {
            if (open.empty()) {
                throw EDescriptionError("'end' without 'repeat'", static_cast<int>(i + 1));
            }
            RepeatEnd[open.back()] = i;
            open.pop_back();
        }
    }
    if (!open.empty()) {
        throw EDescriptionError("'repeat' without 'end'", static_cast<int>(open.back() + 1));
    }
}

void TPresetGenerator::Process(size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
        if (FirstWord(StripComment(Lines[i])) == "repeat") {
            Repeat(i);
            i = RepeatEnd[i];
        } else {
            HandleLine(i);
        }
    }
}

void TPresetGenerator::Repeat(size_t index) {
    CurrentLine = static_cast<int>(index + 1);
    std::string var = "i";
    int64_t count = 0;
    try {
        const std::vector<TLineToken> tokens =
            SplitLine(ExpandBraces(StripComment(Lines[index]), Vars));
        TArgs args("repeat", {tokens.begin() + 1, tokens.end()});
        args.ExpectPositional(1, 2, "repeat COUNT [NAME]");
        args.Done();
        count = Number(args.At(0).Value);
        if (args.Count() == 2) {
            var = args.At(1).Value;
        }
        if (count < 0) {
            throw EDescriptionError("negative repeat count");
        }
    } catch (EDescriptionError& e) {
        throw EDescriptionError(e.what(), CurrentLine);
    }
    // A loop variable hides a definition of the same name inside the block.
    const std::optional<int64_t> saved =
        Vars.count(var) != 0 ? std::optional<int64_t>(Vars[var]) : std::nullopt;
    for (int64_t k = 0; k < count; ++k) {
        Vars[var] = k;
        Process(index + 1, RepeatEnd[index]);
    }
    if (saved) {
        Vars[var] = *saved;
    } else {
        Vars.erase(var);
    }
}

void TPresetGenerator::HandleLine(size_t index) {
    CurrentLine = static_cast<int>(index + 1);
    try {
        const std::string_view text = StripComment(Lines[index]);
        if (FirstWord(text).empty()) {
            return;
        }
        std::vector<TLineToken> tokens = SplitLine(ExpandBraces(text, Vars));
        if (tokens.front().Quoted || !tokens.front().Key.empty()) {
            throw EDescriptionError("a line starts with a command word");
        }
        const std::string command = tokens.front().Value;
        tokens.erase(tokens.begin());
        Dispatch(command, tokens);
    } catch (EDescriptionError& e) {
        throw EDescriptionError(e.what(), e.Line != 0 ? e.Line : CurrentLine);
    } catch (std::invalid_argument& e) {
        throw EDescriptionError(e.what(), CurrentLine);
    }
}

void TPresetGenerator::Dispatch(const std::string& command, const std::vector<TLineToken>& args) {
    if (command == "product") {
        Product(args);
    } else if (command == "device") {
        TArgs a(command, args);
        a.ExpectPositional(1, 1, "device ID");
        a.Done();
        DeviceId = static_cast<uint8_t>(Ranged(a.At(0).Value, 0, 255, "device id"));
    } else if (command == "define") {
        Define(args);
    } else if (command == "preset") {
        Preset(args);
    } else if (command == "components") {
        OpenBlock(TMessageId::Components, args);
    } else if (command == "modifiers") {
        OpenBlock(TMessageId::Modifiers, args);
    } else if (command == "component") {
        Component(args);
    } else if (command == "modifier") {
        ModifierLine(args);
    } else if (command == "link") {
        Link(args);
    } else if (command == "usermodel") {
        UserModel(args);
    } else if (command == "raw") {
        Raw(args);
    } else if (command == "end") {
        throw EDescriptionError("'end' without 'repeat'");
    } else {
        throw EDescriptionError("unknown command '" + command + "'");
    }
}

void TPresetGenerator::Product(const std::vector<TLineToken>& tokens) {
    TArgs a("product", tokens);
    a.ExpectPositional(1, 1, "product MODEL|ID");
    a.Done();
    if (const TProduct* product = ProductByModel(a.At(0).Value)) {
        ProductId = product->Id;
        return;
    }
    ProductId = static_cast<uint8_t>(Ranged(a.At(0).Value, 0, 127, "product id"));
}

void TPresetGenerator::Define(const std::vector<TLineToken>& tokens) {
    TArgs a("define", tokens);
    a.ExpectPositional(2, 2, "define NAME VALUE");
    a.Done();
    const std::string& name = a.At(0).Value;
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
        throw EDescriptionError("a name starts with a letter: '" + name + "'");
    }
    for (const char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            throw EDescriptionError("a name holds letters, digits and '_': '" + name + "'");
        }
    }
    Vars[name] = Number(a.At(1).Value);
}

void TPresetGenerator::Preset(const std::vector<TLineToken>& tokens) {
    CloseBlock();
    TArgs a("preset", tokens);
    a.ExpectPositional(2, 2, "preset NUMBER|none \"NAME\" [index=RAW]");
    uint32_t index = NoNumberIndex;
    if (a.At(0).Value != "none") {
        index = Ranged(a.At(0).Value, 1, 254, "preset number") - 1;
    }
    if (const std::optional<std::string> raw = a.Take("index")) {
        index = Ranged(*raw, 0, 255, "preset index");
    }
    a.Done();
    // Two unused bytes, the index, the name with its 0 byte, four unused bytes.
    std::vector<uint8_t> payload{0, 0, static_cast<uint8_t>(index)};
    AppendText(payload, a.At(1).Value);
    payload.insert(payload.end(), 4, 0);
    Emit(static_cast<uint8_t>(TMessageId::PresetHeader), payload);
}

void TPresetGenerator::OpenBlock(TMessageId messageId, const std::vector<TLineToken>& tokens) {
    CloseBlock();
    TArgs a(messageId == TMessageId::Components ? "components" : "modifiers", tokens);
    a.ExpectPositional(0, 0, messageId == TMessageId::Components ? "components" : "modifiers");
    a.Done();
    Block = TBlock{messageId, CurrentLine, 0, {}};
}

void TPresetGenerator::Component(const std::vector<TLineToken>& tokens) {
    if (!Block || Block->MessageId != TMessageId::Components) {
        throw EDescriptionError("'component' outside a 'components' block");
    }
    TArgs a("component", tokens);
    a.ExpectPositional(1, 1, "component ID [type=TYPEID] [values=V0,V1,...] [spare=BYTE]");
    const uint32_t id = Ranged(a.At(0).Value, 0, 255, "component id");
    const uint32_t typeId = Ranged(a.Take("type").value_or("0"), 0, 0xFFFF, "type id");
    const uint32_t spare = Ranged(a.Take("spare").value_or("0"), 0, 255, "spare byte");
    const std::string values = a.Take("values").value_or("");
    a.Done();
    // Id, an unused byte, the type id high byte first, the value count, values.
    std::vector<uint8_t> record{static_cast<uint8_t>(id), static_cast<uint8_t>(spare),
                                static_cast<uint8_t>(typeId >> 8), static_cast<uint8_t>(typeId), 0};
    AppendValues(record, values);
    Block->Records.insert(Block->Records.end(), record.begin(), record.end());
    ++Block->Count;
}

void TPresetGenerator::ModifierLine(const std::vector<TLineToken>& tokens) {
    if (!Block || Block->MessageId != TMessageId::Modifiers) {
        throw EDescriptionError("'modifier' outside a 'modifiers' block");
    }
    CloseModifier();
    TArgs a("modifier", tokens);
    a.ExpectPositional(1, 1, "modifier ID [values=V0,V1,...]");
    const uint32_t id = Ranged(a.At(0).Value, 0, 255, "modifier id");
    const std::string values = a.Take("values").value_or("");
    a.Done();
    TModifier m;
    m.Line = CurrentLine;
    m.Head = {static_cast<uint8_t>(id), 0};
    AppendValues(m.Head, values);
    Modifier = std::move(m);
    ++Block->Count;
}

void TPresetGenerator::Link(const std::vector<TLineToken>& tokens) {
    if (!Modifier) {
        throw EDescriptionError("'link' without a 'modifier' before it");
    }
    TArgs a("link", tokens);
    a.ExpectPositional(0, 1, "link none | link module=POS|none param=BYTE max=V min=V");
    std::string module = a.Count() == 1 ? a.At(0).Value : a.Require("module");
    const bool none = module == "none";
    const uint32_t position =
        none ? NoLink : Ranged(module, 0, 255, "module position (255 or none: no link)");
    const std::string param = none ? a.Take("param").value_or("0") : a.Require("param");
    const std::string max = none ? a.Take("max").value_or("0") : a.Require("max");
    const std::string min = none ? a.Take("min").value_or("0") : a.Require("min");
    a.Done();
    // Position, parameter number counted from 1, maximum, minimum.
    Modifier->Links.push_back(static_cast<uint8_t>(position));
    Modifier->Links.push_back(static_cast<uint8_t>(Ranged(param, 0, 255, "parameter byte")));
    AppendValue(Modifier->Links, max);
    AppendValue(Modifier->Links, min);
    if (++Modifier->LinkCount > 255) {
        throw EDescriptionError("more than 255 links in one modifier");
    }
}

void TPresetGenerator::UserModel(const std::vector<TLineToken>& tokens) {
    CloseBlock();
    TArgs a("usermodel", tokens);
    a.ExpectPositional(2, 2, "usermodel COMPONENTID \"NAME\" [data=LENGTH]");
    const uint32_t id = Ranged(a.At(0).Value, 0, 255, "component id");
    const uint32_t length = Ranged(a.Take("data").value_or("0"), 0, 0xFFFF, "data length");
    a.Done();
    // Three unused bytes, the component id, three unused bytes, the name,
    // the data length high byte first and the model data.
    std::vector<uint8_t> payload{0, 0, 0, static_cast<uint8_t>(id), 0, 0, 0};
    AppendText(payload, a.At(1).Value);
    payload.push_back(static_cast<uint8_t>(length >> 8));
    payload.push_back(static_cast<uint8_t>(length));
    for (uint32_t k = 0; k < length; ++k) {
        // Any bytes do; this pattern sets high bits so that packing is exercised.
        payload.push_back(static_cast<uint8_t>(k * 37 + id));
    }
    Emit(static_cast<uint8_t>(TMessageId::UserModel), payload);
}

void TPresetGenerator::Raw(const std::vector<TLineToken>& tokens) {
    CloseBlock();
    if (tokens.empty() || !tokens.front().Key.empty()) {
        throw EDescriptionError("usage: raw MESSAGEID [HH ...] [var=VALUE ...]");
    }
    const uint32_t id = Ranged(tokens.front().Value, 0, 127, "message id");
    std::vector<uint8_t> payload;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const TLineToken& t = tokens[i];
        if (t.Key == "var") {
            AppendValue(payload, t.Value);
        } else if (t.Key.empty() && !t.Quoted && HexByte(t.Value) >= 0) {
            payload.push_back(static_cast<uint8_t>(HexByte(t.Value)));
        } else {
            throw EDescriptionError("raw bytes are hex (00 to FF) or var=VALUE, not '" + t.Value +
                                    "'");
        }
    }
    Emit(static_cast<uint8_t>(id), payload);
}

void TPresetGenerator::CloseModifier() {
    if (!Modifier) {
        return;
    }
    TModifier m = std::move(*Modifier);
    Modifier.reset();
    Block->Records.insert(Block->Records.end(), m.Head.begin(), m.Head.end());
    Block->Records.push_back(static_cast<uint8_t>(m.LinkCount));
    Block->Records.insert(Block->Records.end(), m.Links.begin(), m.Links.end());
}

void TPresetGenerator::CloseBlock() {
    if (!Block) {
        return;
    }
    CloseModifier();
    TBlock b = std::move(*Block);
    Block.reset();
    if (b.Count > 255) {
        throw EDescriptionError("more than 255 records in one message", b.Line);
    }
    // Three unused bytes, the record count, the records.
    std::vector<uint8_t> payload(4 + b.Records.size(), 0);
    payload[3] = static_cast<uint8_t>(b.Count);
    std::copy(b.Records.begin(), b.Records.end(), payload.begin() + 4);
    try {
        Emit(static_cast<uint8_t>(b.MessageId), payload);
    } catch (EDescriptionError& e) {
        throw EDescriptionError(e.what(), b.Line);
    }
}

void TPresetGenerator::Emit(uint8_t messageId, const std::vector<uint8_t>& payload) {
    if (!ProductId) {
        throw EDescriptionError("no 'product' line before the first message");
    }
    TKorvaneQVRSysEx message;
    message.SetManufacturerId(KorvaneManufacturer);
    message.SetDeviceId(DeviceId);
    message.SetProductId(*ProductId);
    message.SetMessageId(messageId);
    message.SetBody(payload);
    message.WriteMessage(Out);
}

int64_t TPresetGenerator::Number(const std::string& text) const {
    return EvaluateExpression(text, Vars);
}

uint32_t TPresetGenerator::Ranged(const std::string& text, int64_t min, int64_t max,
                                  const char* what) const {
    const int64_t v = Number(text);
    if (v < min || v > max) {
        throw EDescriptionError(std::string(what) + " " + std::to_string(v) + " is not in " +
                                std::to_string(min) + ".." + std::to_string(max));
    }
    return static_cast<uint32_t>(v);
}

void TPresetGenerator::AppendValues(std::vector<uint8_t>& out, const std::string& list) const {
    // out ends with the count byte, filled in here.
    const size_t countAt = out.size() - 1;
    int count = 0;
    if (!list.empty()) {
        size_t start = 0;
        for (;;) {
            const size_t comma = list.find(',', start);
            AppendValue(out,
                        list.substr(start, comma == std::string::npos ? comma : comma - start));
            ++count;
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }
    if (count > 255) {
        throw EDescriptionError("more than 255 values in one record");
    }
    out[countAt] = static_cast<uint8_t>(count);
}

void TPresetGenerator::AppendValue(std::vector<uint8_t>& out, const std::string& valueText) const {
    // VALUE, VALUE:sN (short length form, N bytes) or VALUE:lN (long form).
    TVarValue v;
    std::string number = valueText;
    const size_t colon = valueText.find(':');
    if (colon != std::string::npos) {
        number = valueText.substr(0, colon);
        const std::string form = valueText.substr(colon + 1);
        if (form.size() < 2 || (form[0] != 's' && form[0] != 'l')) {
            throw EDescriptionError("value form is :sN or :lN, not ':" + form + "'");
        }
        v.Form = form[0] == 's' ? TVarForm::Short : TVarForm::Long;
        v.Length = Ranged(form.substr(1), 0, 0xFFFF, "value length");
    }
    if (number.empty()) {
        throw EDescriptionError("empty value");
    }
    // Negative numbers stand for their 32-bit pattern (-1 is FF FF FF FF).
    const int64_t n = Number(number);
    if (n < -0x80000000LL || n > 0xFFFFFFFFLL) {
        throw EDescriptionError("value " + std::to_string(n) + " does not fit in 32 bits");
    }
    v.Value = static_cast<uint32_t>(n);
    AppendVarValue(out, v);
}

void GeneratePresets(std::istream& description, std::ostream& out, const TVariables& predefined) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(description, line)) {
        lines.push_back(line);
    }
    TPresetGenerator generator(out);
    for (const auto& [name, value] : predefined) {
        generator.Predefine(name, value);
    }
    generator.Run(lines);
}

} // namespace qvr
