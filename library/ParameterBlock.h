#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvr {

// One parameter of one preset as a parameter block holds it.
struct TParameterEntry {
    int64_t Preset = 0; // presets.id
    int32_t Module = 0; // the module's position in the chain
    std::optional<int64_t> Raw;
    std::optional<double> Number;
    std::string_view Text; // UTF-8; a view into the block or the caller's text
    // Set by the reader instead of Text when the text is the value written out
    // (TextOf gives it): most entries, and a search looks at few texts.
    bool TextIsValue = false;
};

// The entry's text.
std::string TextOf(const TParameterEntry& entry);

// The parameters of one name in one file, packed one after the other: the
// preset as the distance from the block's first preset, the module position,
// a flag byte, the raw number and the value when there are (integers as
// variable-length numbers, other values as 8 bytes), and the text: nothing
// when it is the value written out, else the number of a text met before in
// the block, else the text with its length. Most entries take four or five
// bytes, a tenth of a table row.
class TParameterBlockWriter {
public:
    explicit TParameterBlockWriter(int64_t firstPreset) : FirstPreset(firstPreset) {}
    // Entries come in preset order, none before the first preset.
    void Add(const TParameterEntry& entry);
    size_t Count() const { return Entries; }
    int64_t First() const { return FirstPreset; }
    const std::string& Bytes() const { return Block; }

private:
    int64_t FirstPreset;
    size_t Entries = 0;
    std::string Block;
    struct THash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    // The number of each text written out; looked up without a copy.
    std::unordered_map<std::string, uint64_t, THash, std::equal_to<>> Texts;
};

// Reads a block's entries in order. A block that ends early or holds a value
// out of range ends reading (Next() false, Damaged() true): the database may
// have been changed by hand.
class TParameterBlockReader {
public:
    TParameterBlockReader(int64_t firstPreset, std::string_view block)
        : FirstPreset(firstPreset), Block(block) {}
    bool Next(TParameterEntry& entry);
    bool Damaged() const { return Bad; }

private:
    std::optional<uint64_t> Varint();
    int64_t FirstPreset;
    std::string_view Block;
    size_t At = 0;
    bool Bad = false;
    std::vector<std::string_view> Texts; // those written out, in order
};

} // namespace qvr
