#include "librarian/MidiTarget.h"

#include "midi/MidiOutput.h"

namespace qvr {

namespace {

TMidiApi ApiNamed(const std::string& api) {
    if (api == "alsa") {
        return TMidiApi::Alsa;
    }
    return api == "jack" ? TMidiApi::Jack : TMidiApi::Default;
}

class TMidiTarget : public ISendTarget {
public:
    explicit TMidiTarget(const std::string& api) : Output(ApiNamed(api), "qvrlib") {}
    // The MIDI systems drop a longer event without a word; it must never be taken for sent.
    void Send(std::span<const uint8_t> bytes) override {
        if (bytes.size() > TPacing::MaxChunk) {
            throw EMidiError("an event of " + std::to_string(bytes.size()) +
                             " bytes is longer than a MIDI event carries whole");
        }
        Output.Send(bytes);
    }

    TMidiOutput Output;
};

} // namespace

std::vector<std::string> ListMidiOutputs(const std::string& api) {
    return ListOutputPorts(ApiNamed(api));
}

std::unique_ptr<ISendTarget> OpenMidiTarget(const std::string& api, const std::string& port,
                                            std::string& opened) {
    auto target = std::make_unique<TMidiTarget>(api);
    opened = target->Output.OpenPort(port);
    return target;
}

} // namespace qvr
