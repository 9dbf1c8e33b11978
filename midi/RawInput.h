#pragma once

// The input side of each MIDI system, spoken to through the system's own API; used inside
// midi/ only.

#include "midi/MidiPorts.h"

#include <memory>
#include <string>

namespace qvr {

// One client of a MIDI system with at most one input port. Each event's bytes are handed over
// as they come, on the system's thread, and nothing is gathered here: a system-exclusive
// message arrives in the pieces the system carries, so a device that starts a message and
// never ends it costs no more memory than the assembler above keeps (the general MIDI library
// would hold such a message whole until its end byte). No handler runs once Close returns.
class TRawInput {
public:
    virtual ~TRawInput() = default;

    // Connects the port, named `in`, to the system's port listed as `listedName` by
    // ListInputPorts. Throws EMidiError.
    virtual void Connect(const std::string& listedName) = 0;
    // Opens a port named `name` that others connect to. Throws EMidiError.
    virtual void OpenOwnPort(const std::string& name) = 0;
    virtual void Close() = 0;
};

// Throw EMidiError when the system cannot be reached.
std::unique_ptr<TRawInput> OpenJackInput(const std::string& clientName,
                                         TMidiInput::TBytesHandler onBytes,
                                         TMidiInput::TErrorHandler onError);
std::unique_ptr<TRawInput> OpenAlsaInput(const std::string& clientName,
                                         TMidiInput::TBytesHandler onBytes,
                                         TMidiInput::TErrorHandler onError);

} // namespace qvr
