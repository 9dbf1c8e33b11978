#include "midi/MidiPorts.h"

#include "midi/QuietSystems.h"
#include "midi/RtMidiSupport.h"

#include <algorithm>
#include <string_view>

namespace qvr {

namespace {

template <typename TPort> std::vector<std::string> ListPorts(TMidiApi api) {
    TErrorCollector errors;
    std::vector<std::string> names;
    QuietMidiSystems();
    const TQuietCerr quiet;
    try {
        TPort port(ToRtApi(api), "qvr-list");
        port.setErrorCallback(&TErrorCollector::Callback, &errors);
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            names.push_back(port.getPortName(i));
        }
    } catch (const RtMidiError& e) {
        throw EMidiError(FailureText(api, e.getMessage()));
    }
    if (errors.Fatal) {
        throw EMidiError(FailureText(api, *errors.Fatal));
    }
    // The library reports a system it cannot reach (no JACK server) only as a notice.
    if (names.empty() && errors.Notice) {
        throw EMidiError(FailureText(api, *errors.Notice));
    }
    return names;
}

} // namespace

std::vector<std::string> ListInputPorts(TMidiApi api) {
    return ListPorts<RtMidiIn>(api);
}

std::vector<std::string> ListOutputPorts(TMidiApi api) {
    return ListPorts<RtMidiOut>(api);
}

size_t FindPort(const std::vector<std::string>& ports, const std::string& part,
                std::string_view kind) {
    const auto exact = std::find(ports.begin(), ports.end(), part);
    if (exact != ports.end()) {
        return static_cast<size_t>(exact - ports.begin());
    }
    std::vector<size_t> matches;
    for (size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].find(part) != std::string::npos) {
            matches.push_back(i);
        }
    }
    if (matches.empty()) {
        throw EMidiError("no MIDI " + std::string(kind) + " port matches '" + part + "'");
    }
    if (matches.size() > 1) {
        std::string text = "several MIDI " + std::string(kind) + " ports match '" + part + "':";
        for (const size_t i : matches) {
            text += " '" + ports[i] + "'";
        }
        throw EMidiError(text);
    }
    return matches.front();
}

} // namespace qvr
