#include "midi/RawInput.h"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace qvr {

namespace {

struct TCloseClient {
    void operator()(jack_client_t* client) const { jack_client_close(client); }
};

class TJackInput final : public TRawInput {
public:
    TJackInput(const std::string& clientName, TMidiInput::TBytesHandler onBytes,
               TMidiInput::TErrorHandler onError)
        : OnBytes(std::move(onBytes)), OnError(std::move(onError)) {
        Client.reset(jack_client_open(clientName.c_str(), JackNoStartServer, nullptr));
        if (!Client) {
            throw EMidiError("the JACK server is not running");
        }
        jack_set_process_callback(Client.get(), &TJackInput::Process, this);
        jack_on_shutdown(Client.get(), &TJackInput::ShutDown, this);
    }

    ~TJackInput() override { Close(); }

    void Connect(const std::string& listedName) override {
        Register("in");
        if (jack_connect(Client.get(), listedName.c_str(), jack_port_name(Port)) != 0) {
            throw EMidiError("cannot connect to the JACK port '" + listedName + "'");
        }
    }

    void OpenOwnPort(const std::string& name) override { Register(name); }

    // Closing the client waits for a process cycle under way.
    void Close() override { Client.reset(); }

private:
    // The port exists before the client runs, so that every cycle finds it.
    void Register(const std::string& name) {
        if (!Client || Port != nullptr) {
            throw EMidiError("the MIDI input is closed or open already");
        }
        Port = jack_port_register(Client.get(), name.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                  JackPortIsInput, 0);
        if (Port == nullptr) {
            throw EMidiError("cannot make the JACK port '" + name + "'");
        }
        if (jack_activate(Client.get()) != 0) {
            throw EMidiError("cannot start the JACK client");
        }
    }

    static int Process(jack_nframes_t frames, void* self) {
        auto& input = *static_cast<TJackInput*>(self);
        void* buffer = jack_port_get_buffer(input.Port, frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
                input.OnBytes(std::span<const uint8_t>(event.buffer, event.size));
            }
        }
        return 0;
    }

    static void ShutDown(void* self) {
        static_cast<TJackInput*>(self)->OnError("the JACK server has shut down", true);
    }

    TMidiInput::TBytesHandler OnBytes;
    TMidiInput::TErrorHandler OnError;
    std::unique_ptr<jack_client_t, TCloseClient> Client;
    jack_port_t* Port = nullptr;
};

} // namespace

std::unique_ptr<TRawInput> OpenJackInput(const std::string& clientName,
                                         TMidiInput::TBytesHandler onBytes,
                                         TMidiInput::TErrorHandler onError) {
    return std::make_unique<TJackInput>(clientName, std::move(onBytes), std::move(onError));
}

} // namespace qvr
