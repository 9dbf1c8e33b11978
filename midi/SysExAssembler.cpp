#include "midi/SysExAssembler.h"

#include "sysex/Midisysex.h"

#include <cstdio>
#include <utility>

namespace qvr {

namespace {

constexpr uint8_t StartByte = 0xF0;
constexpr uint8_t EndByte = 0xF7;
constexpr uint8_t FirstRealTime = 0xF8;
constexpr uint8_t FirstStatus = 0x80;

std::string HexByte(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

std::string Bytes(uint64_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

} // namespace

size_t MaxCapturedMessageSize() {
    return static_cast<size_t>(TMidiSysEx::MaxBodyLength);
}

TSysExAssembler::TSysExAssembler(size_t maxSize) : MaxSize(maxSize) {}

bool TSysExAssembler::Feed(std::span<const uint8_t> bytes) {
    bool advanced = false;
    for (const uint8_t b : bytes) {
        if (b >= FirstRealTime) {
            continue;
        }
        if (b == StartByte) {
            if (State == TState::InMessage) {
                Drop("a new message started");
            }
            Current.clear(); // keeps its room: a flood of starts allocates nothing
            Current.push_back(StartByte);
            State = TState::InMessage;
            if (Longest == 0) {
                Longest = 1;
                advanced = true;
            }
            continue;
        }
        if (State == TState::Oversized) {
            // The rest of a message already dropped, up to its end or the next status byte.
            if (b >= FirstStatus) {
                State = TState::Outside;
            }
            continue;
        }
        if (State == TState::Outside) {
            ++Outside;
            continue;
        }
        if (b >= FirstStatus && b != EndByte) {
            Drop("status byte ", b);
            ++Outside; // the status byte starts other traffic
            continue;
        }
        if (Current.size() >= MaxSize) {
            ++Oversized;
            Current = {};
            State = b == EndByte ? TState::Outside : TState::Oversized;
            continue;
        }
        Current.push_back(b);
        if (b == EndByte) {
            Messages.push_back(std::move(Current));
            Current = {};
            State = TState::Outside;
            Longest = 0;
            advanced = true;
        } else if (Current.size() > Longest) {
            Longest = Current.size();
            advanced = true;
        }
    }
    return advanced;
}

void TSysExAssembler::Finish() {
    Cut("reception ended");
    State = TState::Outside;
}

void TSysExAssembler::Cut(const char* why) {
    if (State == TState::InMessage) {
        Drop(why);
    }
}

void TSysExAssembler::Drop(const char* why, std::optional<uint8_t> status) {
    // Only the first is told in words: a flood of cut messages must cost no work per message.
    if (++Incomplete.Count == 1) {
        Incomplete.First = "after " + Bytes(Current.size()) + ": " + why +
                           (status ? HexByte(*status) + " arrived" : std::string());
    }
    Current.clear();
    State = TState::Outside;
}

size_t TSysExAssembler::HeldBytes() const {
    size_t held = Current.size();
    for (const std::vector<uint8_t>& message : Messages) {
        held += message.size();
    }
    return held;
}

std::vector<std::vector<uint8_t>> TSysExAssembler::TakeMessages() {
    return std::exchange(Messages, {});
}

std::vector<std::string> TSysExAssembler::TakeWarnings() {
    std::vector<std::string> warnings;
    if (Incomplete.Count == 1) {
        warnings.push_back("Incomplete system exclusive message dropped " + Incomplete.First);
    } else if (Incomplete.Count > 1) {
        warnings.push_back(std::to_string(Incomplete.Count) +
                           " incomplete system exclusive messages dropped, the first " +
                           Incomplete.First);
    }
    if (Oversized > 0) {
        warnings.push_back((Oversized == 1
                                ? std::string("System exclusive message")
                                : std::to_string(Oversized) + " system exclusive messages") +
                           " longer than " + std::to_string(MaxSize) + " bytes dropped");
    }
    if (Outside > 0) {
        warnings.push_back(Bytes(Outside) + " outside system exclusive messages ignored");
    }
    Incomplete = {};
    Oversized = 0;
    Outside = 0;
    return warnings;
}

} // namespace qvr
