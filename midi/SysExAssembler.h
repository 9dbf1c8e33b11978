#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qvr {

// Builds whole system-exclusive messages (0xF0 ... 0xF7) out of the pieces a MIDI input
// delivers. Pieces may split a message anywhere and may carry other MIDI traffic:
// - real-time bytes (0xF8 to 0xFF) may come at any point, even inside a message, and are skipped;
// - a new 0xF0 or any other status byte (0x80 to 0xF6) inside a message cuts it: the cut message
//   is dropped, since the device sent it incomplete;
// - a message longer than MaxSize bytes (0xF0 and 0xF7 included) is dropped;
// - bytes outside a message (other MIDI messages, a stray 0xF7) are ignored.
// What is dropped or ignored is counted by kind, not kept: whatever a device sends, the
// assembler holds at most the message under way (MaxSize bytes) and the finished messages not
// yet taken, and the warnings are one line per kind.
class TSysExAssembler {
public:
    explicit TSysExAssembler(size_t maxSize);

    // True when the bytes moved the reception on: a message ended whole, or the message under
    // way grew longer than any message begun since the last whole one. A stream that only
    // repeats what was already dropped (a message cut again and again) does not.
    bool Feed(std::span<const uint8_t> bytes);
    // Ends the input: a message still open is dropped.
    void Finish();
    // Drops the message under way because the input lost bytes inside it (`why`).
    void Cut(const char* why);

    // True while a message has started and not yet ended.
    bool InMessage() const { return State == TState::InMessage; }
    // The bytes held: the message under way and the finished messages not yet taken.
    size_t HeldBytes() const;

    std::vector<std::vector<uint8_t>> TakeMessages();
    // One line per kind of data dropped or ignored since the last call, with its count
    // ("3 incomplete system exclusive messages dropped, the first after 7 bytes: a new message
    // started"); a single one is told as it was. Clears the counts.
    std::vector<std::string> TakeWarnings();

private:
    enum class TState { Outside, InMessage, Oversized };

    // A kind of dropped data: how often, and what the first one was.
    struct TDropCount {
        uint64_t Count = 0;
        std::string First;
    };

    // `why`, followed by the status byte that cut the message, if any.
    void Drop(const char* why, std::optional<uint8_t> status = std::nullopt);

    size_t MaxSize;
    TState State = TState::Outside;
    std::vector<uint8_t> Current;
    // The longest message begun since the last whole one; growing past it is progress.
    size_t Longest = 0;
    std::vector<std::vector<uint8_t>> Messages;
    TDropCount Incomplete;
    uint64_t Oversized = 0;
    uint64_t Outside = 0;
};

// The largest message the capture keeps: a body longer than the reader takes could never be
// read back from the file.
size_t MaxCapturedMessageSize();

} // namespace qvr
