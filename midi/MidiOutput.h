#pragma once

#include "midi/MidiPorts.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace qvr {

// One open MIDI output: bytes go out in the order given, each Send as one event of the MIDI
// system. Closing (or destruction) first lets the system deliver what was sent.
class TMidiOutput {
public:
    // Throws EMidiError when the MIDI system cannot be reached.
    TMidiOutput(TMidiApi api, const std::string& clientName);
    ~TMidiOutput();
    TMidiOutput(const TMidiOutput&) = delete;
    TMidiOutput& operator=(const TMidiOutput&) = delete;

    // Connects to the output port whose name contains `part` (see FindPort); returns its name.
    std::string OpenPort(const std::string& part);
    // Hands the bytes, a whole message or a piece of one, to the MIDI system. Throws EMidiError
    // when the system does not take them (a full buffer, a port that has gone).
    void Send(std::span<const uint8_t> bytes);
    void Close();

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

} // namespace qvr
