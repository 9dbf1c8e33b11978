#include "midi/RtMidiSupport.h"

#include "midi/QuietSystems.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace qvr {

namespace {

// Whether the ALSA sequencer can be opened (it cannot in a container without /dev/snd).
bool AlsaWorks() {
    QuietMidiSystems();
    const TQuietCerr quiet;
    try {
        const RtMidiIn probe(RtMidi::LINUX_ALSA, "qvr-probe");
        return true;
    } catch (const RtMidiError&) {
        return false;
    }
}

// Whether the default choice passes ALSA over, its sequencer being out of reach; asked once.
bool AlsaPassedOver() {
    static const bool passedOver = !AlsaWorks();
    return passedOver;
}

// QVR_MIDI_API=alsa|jack settles it for the whole session (a user who works with JACK
// although ALSA is there, the tests with a JACK server of their own).
std::optional<RtMidi::Api> ChosenByEnvironment() {
    const char* chosen = std::getenv("QVR_MIDI_API");
    if (chosen != nullptr && std::string_view(chosen) == "jack") {
        return RtMidi::UNIX_JACK;
    }
    if (chosen != nullptr && std::string_view(chosen) == "alsa") {
        return RtMidi::LINUX_ALSA;
    }
    return std::nullopt;
}

} // namespace

RtMidi::Api ToRtApi(TMidiApi api) {
    switch (api) {
    case TMidiApi::Alsa:
        return RtMidi::LINUX_ALSA;
    case TMidiApi::Jack:
        return RtMidi::UNIX_JACK;
    default:
        break;
    }
    if (const std::optional<RtMidi::Api> chosen = ChosenByEnvironment()) {
        return *chosen;
    }
    // The library's own choice gives up at the first system that fails to open.
    return AlsaPassedOver() ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

std::string FailureText(TMidiApi api, const std::string& text) {
    if (api == TMidiApi::Default && !ChosenByEnvironment() && AlsaPassedOver()) {
        return "the ALSA sequencer cannot be opened, and JACK: " + text;
    }
    return text;
}

bool IsFatal(RtMidiError::Type type) {
    return type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING;
}

} // namespace qvr
