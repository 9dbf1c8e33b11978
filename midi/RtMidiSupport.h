#pragma once

// What the input and the output share in talking to RtMidi; used inside midi/ only.

#include "midi/MidiPorts.h"

#include <RtMidi.h>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// The library's system for `api`, Default settled as TMidiApi describes.
RtMidi::Api ToRtApi(TMidiApi api);

// What a failure of the MIDI system chosen for `api` says. When JACK was chosen because the
// ALSA sequencer cannot be opened, JACK's failure alone would hide that ALSA was tried too.
std::string FailureText(TMidiApi api, const std::string& text);

// False for a notice that leaves the port working.
bool IsFatal(RtMidiError::Type type);

// Collects what the library reports while the caller waits for one of its calls, so that the
// library's messages become exceptions here instead of lines on standard error.
struct TErrorCollector {
    std::optional<std::string> Fatal;
    std::optional<std::string> Notice;

    static void Callback(RtMidiError::Type type, const std::string& text, void* self) {
        auto& collector = *static_cast<TErrorCollector*>(self);
        (IsFatal(type) ? collector.Fatal : collector.Notice) = text;
    }

    void ThrowIfFatal() const {
        if (Fatal) {
            throw EMidiError(*Fatal);
        }
    }
};

} // namespace qvr
