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

} // namespace

size_t MaxCapturedMessageSize() {
    return static_cast<size_t>(TMidiSysEx::MaxBodyLength);
}

TSysExAssembler::TSysExAssembler(size_t maxSize) : MaxSize(maxSize) {}

void TSysExAssembler::Feed(std::span<const uint8_t> bytes) {
    for (const uint8_t b : bytes) {
        if (b >= FirstRealTime) {
            continue;
        }
        if (b == StartByte) {
            if (State == TState::InMessage) {
                Drop("a new message started");
            }
            Current.assign(1, StartByte);
            State = TState::InMessage;
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
            continue;
        }
        if (b >= FirstStatus && b != EndByte) {
            Drop("status byte " + HexByte(b) + " arrived");
            continue;
        }
        if (Current.size() >= MaxSize) {
            Warnings.push_back("System exclusive message longer than " + std::to_string(MaxSize) +
                               " bytes dropped");
            Current = {};
            State = b == EndByte ? TState::Outside : TState::Oversized;
            continue;
        }
        Current.push_back(b);
        if (b == EndByte) {
            Messages.push_back(std::move(Current));
            Current = {};
            State = TState::Outside;
        }
    }
}

void TSysExAssembler::Finish() {
    if (State == TState::InMessage) {
        Drop("reception ended");
    }
    State = TState::Outside;
}

void TSysExAssembler::Drop(const std::string& why) {
    Warnings.push_back("Incomplete system exclusive message dropped after " +
                       std::to_string(Current.size()) + " bytes: " + why);
    Current = {};
    State = TState::Outside;
}

std::vector<std::vector<uint8_t>> TSysExAssembler::TakeMessages() {
    return std::exchange(Messages, {});
}

std::vector<std::string> TSysExAssembler::TakeWarnings() {
    return std::exchange(Warnings, {});
}

} // namespace qvr
