#pragma once

#include "sysex/MessageIds.h"
#include "tools/presetgen/Expression.h"
#include "tools/presetgen/LineTokens.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qvr {

// Turns a preset description (see tools/presetgen/README.md) into a preset or
// backup file: SysEx messages written back to back with the write side of
// TKorvaneQVRSysEx. Messages are written as soon as they are complete, so a
// description of thousands of presets never sits in memory as bytes.
class TPresetGenerator {
public:
    explicit TPresetGenerator(std::ostream& out) : Out(out) {}

    // Names known before the first line, as if defined there (for example
    // the number of presets that a benchmark description repeats).
    void Predefine(const std::string& name, int64_t value) { Vars[name] = value; }

    // Reads every line and writes the messages. A fault of the description
    // throws EDescriptionError with the (1-based) number of the line.
    void Run(const std::vector<std::string>& lines);

private:
    // A components (0x24) or modifiers (0x26) message being filled.
    struct TBlock {
        TMessageId MessageId = TMessageId::Components;
        int Line = 0;
        int Count = 0;
        std::vector<uint8_t> Records;
    };
    // The modifier record being filled; its links follow on later lines.
    struct TModifier {
        int Line = 0;
        std::vector<uint8_t> Head; // id, value count, values
        std::vector<uint8_t> Links;
        int LinkCount = 0;
    };

    std::ostream& Out;
    std::vector<std::string> Lines;
    std::vector<size_t> RepeatEnd; // for each "repeat" line, the index of its "end"
    TVariables Vars;
    std::optional<uint8_t> ProductId;
    uint8_t DeviceId = 0;
    std::optional<TBlock> Block;
    std::optional<TModifier> Modifier;

    void MatchRepeats();
    void Process(size_t begin, size_t end);
    void Repeat(size_t index);
    void HandleLine(size_t index);
    void Dispatch(const std::string& command, const std::vector<TLineToken>& args);

    void Product(const std::vector<TLineToken>& args);
    void Define(const std::vector<TLineToken>& args);
    void Preset(const std::vector<TLineToken>& args);
    void OpenBlock(TMessageId messageId, const std::vector<TLineToken>& args);
    void Component(const std::vector<TLineToken>& args);
    void ModifierLine(const std::vector<TLineToken>& args);
    void Link(const std::vector<TLineToken>& args);
    void UserModel(const std::vector<TLineToken>& args);
    void Raw(const std::vector<TLineToken>& args);

    void CloseModifier();
    void CloseBlock();
    void Emit(uint8_t messageId, const std::vector<uint8_t>& payload);

    int64_t Number(const std::string& text) const;
    uint32_t Ranged(const std::string& text, int64_t min, int64_t max, const char* what) const;
    void AppendValues(std::vector<uint8_t>& out, const std::string& list) const;
    void AppendValue(std::vector<uint8_t>& out, const std::string& valueText) const;

    int CurrentLine = 0;
};

// Reads a description from a stream and writes the messages to out.
void GeneratePresets(std::istream& description, std::ostream& out,
                     const TVariables& predefined = {});

} // namespace qvr
