#include "midi/MidiPorts.h"

#include "midi/QuietSystems.h"
#include "midi/RtMidiSupport.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
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

struct TMidiInput::TImpl {
    TImpl(TMidiApi api, const std::string& clientName, TBytesHandler onBytes, TErrorHandler onError)
        : Api(api), OnBytes(std::move(onBytes)), OnError(std::move(onError)) {
        QuietMidiSystems();
        const TQuietCerr quiet;
        try {
            Port.emplace(ToRtApi(api), clientName);
        } catch (const RtMidiError& e) {
            throw EMidiError(FailureText(api, e.getMessage()));
        }
        Port->setErrorCallback(&TImpl::ErrorCallback, this);
        // System-exclusive, timing and sensing bytes all pass; the assembler sorts them out.
        Port->ignoreTypes(false, false, false);
        Port->setCallback(&TImpl::BytesCallback, this);
    }

    ~TImpl() { Close(); }

    void Close() {
        if (Port) {
            Port->closePort();
            Port.reset();
        }
    }

    // The calls made while opening report through Opening, after that through OnError.
    template <typename TOpen> void Open(TOpen open) {
        {
            std::lock_guard lock(Mutex);
            Opening.emplace();
        }
        open();
        std::lock_guard lock(Mutex);
        const TErrorCollector errors = *Opening;
        Opening.reset();
        errors.ThrowIfFatal();
    }

    static void BytesCallback(double, std::vector<unsigned char>* bytes, void* self) {
        if (bytes != nullptr && !bytes->empty()) {
            static_cast<TImpl*>(self)->OnBytes(std::span<const uint8_t>(*bytes));
        }
    }

    static void ErrorCallback(RtMidiError::Type type, const std::string& text, void* self) {
        auto& impl = *static_cast<TImpl*>(self);
        {
            std::lock_guard lock(impl.Mutex);
            if (impl.Opening) {
                TErrorCollector::Callback(type, text, &*impl.Opening);
                return;
            }
        }
        impl.OnError(text, IsFatal(type));
    }

    TMidiApi Api;
    TBytesHandler OnBytes;
    TErrorHandler OnError;
    std::mutex Mutex;
    std::optional<TErrorCollector> Opening;
    std::optional<RtMidiIn> Port;
    std::string PortName;
};

TMidiInput::TMidiInput(TMidiApi api, const std::string& clientName, TBytesHandler onBytes,
                       TErrorHandler onError)
    : Impl(std::make_unique<TImpl>(api, clientName, std::move(onBytes), std::move(onError))) {}

TMidiInput::~TMidiInput() = default;

std::string TMidiInput::OpenPort(const std::string& part) {
    const std::vector<std::string> ports = ListInputPorts(Impl->Api);
    const size_t index = FindPort(ports, part);
    Impl->Open([&] { Impl->Port->openPort(static_cast<unsigned>(index), "in"); });
    Impl->PortName = ports[index];
    return Impl->PortName;
}

std::string TMidiInput::OpenVirtualPort(const std::string& name) {
    Impl->Open([&] { Impl->Port->openVirtualPort(name); });
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
    Impl->Close();
}

} // namespace qvr
