#include "midi/EventRing.h"
#include "midi/RawInput.h"

#include <atomic>
#include <cerrno>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <semaphore.h>
#include <thread>
#include <vector>

namespace qvr {

namespace {

struct TCloseClient {
    void operator()(jack_client_t* client) const { jack_client_close(client); }
};

// What the process cycles may hand over before the reader takes it: many cycles' worth of a
// port's events (a cycle carries at most a few tens of KiB).
constexpr size_t RingSize = size_t{1} << 18;

const char* const OverrunText =
    "MIDI input overrun: events were lost while the JACK input's buffer was full";

// A semaphore the process cycle may post: sem_post takes no lock and allocates nothing.
class TWakeUp {
public:
    TWakeUp() { sem_init(&Semaphore, 0, 0); }
    ~TWakeUp() { sem_destroy(&Semaphore); }
    TWakeUp(const TWakeUp&) = delete;
    TWakeUp& operator=(const TWakeUp&) = delete;

    void Post() { sem_post(&Semaphore); }
    void Wait() {
        while (sem_wait(&Semaphore) != 0 && errno == EINTR) {
        }
    }

private:
    sem_t Semaphore;
};

// JACK's process cycle runs on a real-time thread, where a lock, an allocation or a write could
// make the whole server miss its deadline. The cycle only copies the events into a lock-free
// ring (TEventRing) and posts a semaphore; a reader thread of its own hands them to the
// handlers.
class TJackInput final : public TRawInput {
public:
    TJackInput(const std::string& clientName, TMidiInput::TBytesHandler onBytes,
               TMidiInput::TErrorHandler onError)
        : OnBytes(std::move(onBytes)), OnError(std::move(onError)), Ring(RingSize) {
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

    // Closing the client waits for a process cycle under way; the reader then hands over what
    // the ring still holds.
    void Close() override {
        Client.reset();
        if (Reader.joinable()) {
            Closing = true;
            Wake.Post();
            Reader.join();
        }
        if (Ring.TakeLostAtEnd()) {
            OnError(OverrunText, false);
        }
    }

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
        Reader = std::thread([this] { Read(); });
        if (jack_activate(Client.get()) != 0) {
            throw EMidiError("cannot start the JACK client");
        }
    }

    // On JACK's real-time thread: copies and posts, nothing else.
    static int Process(jack_nframes_t frames, void* self) {
        auto& input = *static_cast<TJackInput*>(self);
        void* buffer = jack_port_get_buffer(input.Port, frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        bool handed = false;
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
                input.Ring.Push(std::span<const uint8_t>(event.buffer, event.size));
                handed = true;
            }
        }
        if (handed) {
            input.Wake.Post();
        }
        return 0;
    }

    // Called as a signal handler would be: only flags and posts.
    static void ShutDown(void* self) {
        auto& input = *static_cast<TJackInput*>(self);
        input.ServerGone = true;
        input.Wake.Post();
    }

    void Read() {
        std::vector<uint8_t> event;
        for (;;) {
            Wake.Wait();
            const bool closing = Closing;
            if (ServerGone.exchange(false)) {
                OnError("the JACK server has shut down", true);
            }
            bool lostBefore = false;
            while (Ring.Pop(event, lostBefore)) {
                if (lostBefore) {
                    OnError(OverrunText, false);
                }
                OnBytes(event);
            }
            if (closing) {
                return;
            }
        }
    }

    TMidiInput::TBytesHandler OnBytes;
    TMidiInput::TErrorHandler OnError;
    TEventRing Ring;
    TWakeUp Wake;
    std::atomic<bool> ServerGone = false;
    std::atomic<bool> Closing = false;
    std::thread Reader;
    // Last, so that it closes first: no cycle runs once the members above go.
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
