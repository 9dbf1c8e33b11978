#include "midi/MidiPorts.h"
#include "midi/QuietSystems.h"
#include "midi/RawInput.h"
#include "midi/RtMidiSupport.h"

#include <algorithm>

namespace qvr {

struct TMidiInput::TImpl {
    TMidiApi Api;
    std::unique_ptr<TRawInput> Input;
    std::string PortName;
};

TMidiInput::TMidiInput(TMidiApi api, const std::string& clientName, TBytesHandler onBytes,
                       TErrorHandler onError)
    : Impl(std::make_unique<TImpl>()) {
    Impl->Api = api;
    QuietMidiSystems();
    try {
        Impl->Input = ToRtApi(api) == RtMidi::LINUX_ALSA
                          ? OpenAlsaInput(clientName, std::move(onBytes), std::move(onError))
                          : OpenJackInput(clientName, std::move(onBytes), std::move(onError));
    } catch (const EMidiError& e) {
        throw EMidiError(FailureText(api, e.what()));
    }
}

TMidiInput::~TMidiInput() = default;

std::string TMidiInput::OpenPort(const std::string& part) {
    const std::vector<std::string> ports = ListInputPorts(Impl->Api);
    const size_t index = FindPort(ports, part);
    Impl->Input->Connect(ports[index]);
    Impl->PortName = ports[index];
    return Impl->PortName;
}

std::string TMidiInput::OpenVirtualPort(const std::string& name) {
    Impl->Input->OpenOwnPort(name);
    Impl->PortName.clear();
    return name;
}

bool TMidiInput::PortPresent() const {
    if (Impl->PortName.empty()) {
        return true;
    }
    try {
        const std::vector<std::string> ports = ListInputPorts(Impl->Api);
        return std::find(ports.begin(), ports.end(), Impl->PortName) != ports.end();
    } catch (const EMidiError&) {
        return false;
    }
}

void TMidiInput::Close() {
    Impl->Input->Close();
}

} // namespace qvr
