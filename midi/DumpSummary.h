#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qvr {

// What a received dump holds, counted message by message as it arrives.
struct TDumpSummary {
    int32_t Messages = 0;
    uint64_t Bytes = 0;
    // The product of the first message in the maker's envelope, if any came.
    std::optional<uint8_t> ProductId;
    int32_t Presets = 0;

    void Add(std::span<const uint8_t> message);

    // "12 messages, 7187 bytes, QVR-3, 10 presets"; "model unknown" without a maker's message.
    std::string Text() const;
};

} // namespace qvr
