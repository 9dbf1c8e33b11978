#include "library/ParameterBlock.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace qvr {

namespace {

enum TFlag : uint8_t {
    HasRaw = 1,
    HasNumber = 2,
    WholeNumber = 4,
    TextIsNumber = 8, // the text is the value as NumberText writes it
    TextSeen = 16,    // the text is one written out before, given by its number
};

// The shortest text that reads back as the value ("0.05", "-12"), in `text`.
std::string_view NumberText(double value, char (&text)[32]) {
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string_view(text, static_cast<size_t>(end - text))
                                : std::string_view();
}

void PutVarint(std::string& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

uint64_t ZigZag(int64_t value) {
    return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}

int64_t UnZigZag(uint64_t value) {
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
}

// Whole numbers that a variable-length integer holds exactly.
bool IsWhole(double value) {
    return std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15 &&
           !(value == 0 && std::signbit(value));
}

} // namespace

std::string TextOf(const TParameterEntry& entry) {
    char text[32];
    return std::string(entry.TextIsValue && entry.Number ? NumberText(*entry.Number, text)
                                                         : entry.Text);
}

void TParameterBlockWriter::Add(const TParameterEntry& entry) {
    PutVarint(Block, static_cast<uint64_t>(entry.Preset - FirstPreset));
    PutVarint(Block, static_cast<uint32_t>(entry.Module));
    uint8_t flags = 0;
    if (entry.Raw) {
        flags |= HasRaw;
    }
    if (entry.Number) {
        flags |= IsWhole(*entry.Number) ? HasNumber | WholeNumber : HasNumber;
        char text[32];
        if (NumberText(*entry.Number, text) == entry.Text) {
            flags |= TextIsNumber;
        }
    }
    const auto seen = (flags & TextIsNumber) ? Texts.end() : Texts.find(entry.Text);
    if (seen != Texts.end()) {
        flags |= TextSeen;
    }
    Block.push_back(static_cast<char>(flags));
    if (entry.Raw) {
        PutVarint(Block, ZigZag(*entry.Raw));
    }
    if (flags & WholeNumber) {
        PutVarint(Block, ZigZag(static_cast<int64_t>(*entry.Number)));
    } else if (flags & HasNumber) {
        char bytes[sizeof(double)];
        std::memcpy(bytes, &*entry.Number, sizeof bytes);
        Block.append(bytes, sizeof bytes);
    }
    if (seen != Texts.end()) {
        PutVarint(Block, seen->second);
    } else if (!(flags & TextIsNumber)) {
        PutVarint(Block, entry.Text.size());
        Block.append(entry.Text);
        Texts.emplace(entry.Text, Texts.size());
    }
    ++Entries;
}

std::optional<uint64_t> TParameterBlockReader::Varint() {
    uint64_t value = 0;
    for (int shift = 0; shift < 64 && At < Block.size(); shift += 7) {
        const auto byte = static_cast<uint8_t>(Block[At++]);
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

bool TParameterBlockReader::Next(TParameterEntry& entry) {
    if (Bad || At >= Block.size()) {
        return false;
    }
    const auto preset = Varint();
    const auto module = Varint();
    if (!preset || !module || *preset > INT32_MAX || *module > INT32_MAX || At >= Block.size()) {
        Bad = true;
        return false;
    }
    const auto flags = static_cast<uint8_t>(Block[At++]);
    entry.Preset = FirstPreset + static_cast<int64_t>(*preset);
    entry.Module = static_cast<int32_t>(*module);
    entry.Raw.reset();
    entry.Number.reset();
    if (flags & HasRaw) {
        const auto raw = Varint();
        if (!raw) {
            Bad = true;
            return false;
        }
        entry.Raw = UnZigZag(*raw);
    }
    if (flags & WholeNumber) {
        const auto whole = Varint();
        if (!whole) {
            Bad = true;
            return false;
        }
        entry.Number = static_cast<double>(UnZigZag(*whole));
    } else if (flags & HasNumber) {
        if (Block.size() - At < sizeof(double)) {
            Bad = true;
            return false;
        }
        double value = 0;
        std::memcpy(&value, Block.data() + At, sizeof value);
        At += sizeof value;
        entry.Number = value;
    }
    entry.TextIsValue = (flags & TextIsNumber) != 0;
    entry.Text = {};
    if (entry.TextIsValue) {
        if (!entry.Number) {
            Bad = true;
            return false;
        }
        return true;
    }
    if (flags & TextSeen) {
        const auto seen = Varint();
        if (!seen || *seen >= Texts.size()) {
            Bad = true;
            return false;
        }
        entry.Text = Texts[*seen];
        return true;
    }
    const auto length = Varint();
    if (!length || *length > Block.size() - At) {
        Bad = true;
        return false;
    }
    entry.Text = Block.substr(At, *length);
    Texts.push_back(entry.Text);
    At += *length;
    return true;
}

} // namespace qvr
