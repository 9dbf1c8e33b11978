#include "midi/MidiOutput.h"

#include "midi/QuietSystems.h"
#include "midi/RtMidiSupport.h"

#include <chrono>
#include <optional>
#include <thread>

namespace qvr {

namespace {

// JACK takes a new connection into its graph a cycle or two after the call returns, and a port
// that closes drops what its last cycle carried before the receiver ran; a pause after
// connecting and before closing keeps the first and the last bytes. ALSA delivers at once.
constexpr std::chrono::milliseconds JackSettleTime{250};

} // namespace

struct TMidiOutput::TImpl {
    TMidiApi Api;
    std::chrono::milliseconds Settle{0};
    // Every call of the library happens on the caller's thread, so its reports land here.
    TErrorCollector Errors;
    std::optional<RtMidiOut> Port;

    // Runs a call of the library; what it reports as fatal, or any notice when `strict`,
    // becomes an EMidiError.
    template <typename TCall> void Call(TCall call, bool strict) {
        Errors = {};
        call();
        Errors.ThrowIfFatal();
        if (strict && Errors.Notice) {
            throw EMidiError(*Errors.Notice);
        }
    }
};

TMidiOutput::TMidiOutput(TMidiApi api, const std::string& clientName)
    : Impl(std::make_unique<TImpl>()) {
    Impl->Api = api;
    QuietMidiSystems();
    const TQuietCerr quiet;
    try {
        Impl->Port.emplace(ToRtApi(api), clientName);
    } catch (const RtMidiError& e) {
        throw EMidiError(FailureText(api, e.getMessage()));
    }
    Impl->Port->setErrorCallback(&TErrorCollector::Callback, &Impl->Errors);
    if (Impl->Port->getCurrentApi() == RtMidi::UNIX_JACK) {
        Impl->Settle = JackSettleTime;
    }
}

TMidiOutput::~TMidiOutput() {
    Close();
}

std::string TMidiOutput::OpenPort(const std::string& part) {
    const std::vector<std::string> ports = ListOutputPorts(Impl->Api);
    const size_t index = FindPort(ports, part, "output");
    Impl->Call([&] { Impl->Port->openPort(static_cast<unsigned>(index), "out"); }, false);
    std::this_thread::sleep_for(Impl->Settle);
    return ports[index];
}

void TMidiOutput::Send(std::span<const uint8_t> bytes) {
    if (!Impl->Port) {
        throw EMidiError("the MIDI output is closed");
    }
    // A message the library cannot take is only a notice to it, but nothing was sent.
    Impl->Call([&] { Impl->Port->sendMessage(bytes.data(), bytes.size()); }, true);
}

void TMidiOutput::Close() {
    if (Impl && Impl->Port) {
        if (Impl->Port->isPortOpen()) {
            std::this_thread::sleep_for(Impl->Settle);
        }
        Impl->Port->closePort();
        Impl->Port.reset();
    }
}

} // namespace qvr
