#pragma once

#include "librarian/Dump.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qvr {

// How messages go to a device. Units drop bytes when SysEx comes faster than they store it,
// so the defaults leave them time: a pause after every message and after every piece of a
// long message. 256 bytes take 82 ms on a MIDI cable.
struct TPacing {
    static constexpr std::chrono::milliseconds DefaultInterval{100};
    static constexpr size_t DefaultChunk = 256;
    static constexpr std::chrono::milliseconds MaxInterval{10000};
    // The longest event every MIDI system carries whole; longer ones some drop without a word.
    static constexpr size_t MaxChunk = 8192;

    std::chrono::milliseconds Interval = DefaultInterval;
    size_t Chunk = DefaultChunk; // 0: every message whole, none longer than MaxChunk
};

// What a send carries: every message of a file, or the messages of one of its presets.
struct TSendPlan {
    const TDump* Dump = nullptr;
    size_t FirstMessage = 0;
    size_t MessageCount = 0;
    std::vector<const TDumpPreset*> Presets;

    std::string_view Message(size_t i) const { return Dump->MessageBytes(FirstMessage + i); }
    size_t Bytes() const { return Dump->MessageBytes(FirstMessage, MessageCount).size(); }
    // The number of events the messages make with pieces of at most `chunk` bytes.
    size_t Events(size_t chunk) const;
};

// The plan for the preset `preset` of `dump` alone, which must have read whole.
TSendPlan PlanSend(const TDump& dump, const std::string& file, const TDumpPreset& preset);

// The plan for `dump`, or for its preset `preset` alone. The file must have read whole: a
// damaged file is never sent. Throws std::runtime_error with the reader's message ("FILE: Bad
// checksum"), for a file without messages, or for a preset that is not there.
TSendPlan PlanSend(const TDump& dump, const std::string& file, std::optional<int32_t> preset);

// Throws std::runtime_error naming the first message of `plan` that `pacing` would send as an
// event longer than TPacing::MaxChunk (only whole messages, Chunk 0, can be): "message 2 of 3
// (preset #01  Big) is 18308 bytes long, more than the 8192 bytes a MIDI event carries whole;
// send it in pieces".
void CheckEvents(const TSendPlan& plan, const TPacing& pacing);

// What the device will receive, in UTF-8: "QVR-3: 25 presets, 141 messages, 7187 bytes" and a
// line per preset, "  #01  Clean 1" ("  (no number)  Name" for one without).
std::string SendListing(const TSendPlan& plan);

// How far a send got.
struct TSendProgress {
    size_t Messages = 0; // sent whole
    size_t Bytes = 0;
    size_t PartBytes = 0; // of the next message, when the send stopped inside it
};

// Where the bytes go: a MIDI output, or a recorder.
class ISendTarget {
public:
    virtual ~ISendTarget() = default;
    // One event: a whole message or a piece of one. Throws when the bytes cannot go out.
    virtual void Send(std::span<const uint8_t> bytes) = 0;
};

// Sends the plan's messages in order, each in pieces of at most `pacing.Chunk` bytes, and waits
// `pacing.Interval` after every piece. `progress` is called after every message. A set `stop`
// ends the send before the next piece, within one interval (looked at every few milliseconds
// of it), even inside a message. Returns how far it got; what the target throws goes through,
// after `progress` said how far it got. Throws std::runtime_error before sending anything when
// CheckEvents does.
TSendProgress SendPlan(const TSendPlan& plan, const TPacing& pacing, ISendTarget& target,
                       const std::function<void(const TSendProgress&)>& progress,
                       const std::atomic<bool>& stop);

// "#03  Dual <1>" ("(no number)  Name" for a preset without one), in UTF-8.
std::string PresetLabel(const TDumpPreset& preset);

// How far a send that stopped got: "12 of 141 messages (842 of 7187 bytes); the last preset
// sent whole: #03  Dual <1>" (or "; no preset went out whole"), and "; message 13 was cut off
// after 512 of 1038 bytes" for one stopped inside.
std::string HowFarText(const TSendPlan& plan, const TSendProgress& progress);

} // namespace qvr
