#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qvr {

// Builds whole system-exclusive messages (0xF0 ... 0xF7) out of the pieces a MIDI input
// delivers. Pieces may split a message anywhere and may carry other MIDI traffic:
// - real-time bytes (0xF8 to 0xFF) may come at any point, even inside a message, and are skipped;
// - a new 0xF0 or any other status byte (0x80 to 0xF6) inside a message cuts it: the cut message
//   is dropped with a warning, since the device sent it incomplete;
// - a message longer than MaxSize bytes (0xF0 and 0xF7 included) is dropped with a warning;
// - bytes outside a message (other MIDI messages, a stray 0xF7) are ignored.
// Finished messages and warnings queue up in order until taken.
class TSysExAssembler {
public:
    explicit TSysExAssembler(size_t maxSize);

    void Feed(std::span<const uint8_t> bytes);
    // Ends the input: a message still open is dropped with a warning.
    void Finish();

    // True while a message has started and not yet ended.
    bool InMessage() const { return State == TState::InMessage; }

    std::vector<std::vector<uint8_t>> TakeMessages();
    std::vector<std::string> TakeWarnings();

private:
    enum class TState { Outside, InMessage, Oversized };

    void Drop(const std::string& why);

    size_t MaxSize;
    TState State = TState::Outside;
    std::vector<uint8_t> Current;
    std::vector<std::vector<uint8_t>> Messages;
    std::vector<std::string> Warnings;
};

// The largest message the capture keeps: a body longer than the reader takes could never be
// read back from the file.
size_t MaxCapturedMessageSize();

} // namespace qvr
