#pragma once

#include "sysex/PresetHeader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// One message of a dump: where its bytes are and what it is.
struct TDumpMessage {
    size_t Offset = 0;
    size_t Size = 0;
    uint8_t MessageId = 0;
};

// One preset of a dump: its header message and the messages up to the next header.
struct TDumpPreset {
    size_t FirstMessage = 0;
    size_t MessageCount = 0;
    TPresetHeaderFields Header;
};

// The bytes of a preset or backup file cut into their messages, read the way a report reads
// the file: the frame, the maker, the checksum and one product throughout; besides, every
// message must end in its end byte, since the messages are sent and joined as they are.
// Reading stops at the first problem: what read until then is kept.
struct TDump {
    std::string Bytes;
    std::optional<uint8_t> ProductId; // of the first message
    std::vector<TDumpMessage> Messages;
    std::vector<TDumpPreset> Presets;
    // The reader's words for the problem that stopped reading; empty when every byte read.
    std::string Problem;

    // The messages before the first preset header: all of them in a file without presets.
    size_t LeadingMessages() const;
    // The bytes of `count` messages from `first` on, back to back as they are in the file.
    std::string_view MessageBytes(size_t first, size_t count = 1) const;
    std::string_view PresetBytes(const TDumpPreset& preset) const {
        return MessageBytes(preset.FirstMessage, preset.MessageCount);
    }
    // The first preset numbered `number`, or nullptr.
    const TDumpPreset* PresetNumbered(int32_t number) const;
};

// Cuts `bytes` into messages and presets.
TDump ReadDump(std::string bytes);

// The dump of the file named `path` ("-": standard input), opened once and read through that
// descriptor; false with `error` (the reason in the system's words, a file larger than
// MaxInputSize among them; messages put the file before it) when it cannot be read. A dump
// that reads only in part is no error here: its Problem says so.
bool LoadDump(const std::string& path, TDump& dump, std::string& error);

} // namespace qvr
