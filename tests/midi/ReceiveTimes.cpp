// qvr_receive_times: a JACK client that records when every MIDI event reaches its input port
// "qvr-times:in", to check the pacing of a sender.
//
//   qvr_receive_times BYTES OUT   writes "TIME SIZE" for every event to OUT once BYTES bytes
//                                 have arrived (TIME: microseconds of the JACK clock when the
//                                 process cycle that brought it ran)
//
// The server is the one JACK_DEFAULT_SERVER names. Gives up after 60 s.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TEvent {
    jack_time_t Time;
    size_t Size;
};

struct TReceiver {
    jack_client_t* Client = nullptr;
    jack_port_t* Port = nullptr;
    std::mutex Mutex;
    std::vector<TEvent> Events;
    std::atomic<size_t> Bytes = 0;
};

int Process(jack_nframes_t frames, void* arg) {
    auto& receiver = *static_cast<TReceiver*>(arg);
    void* buffer = jack_port_get_buffer(receiver.Port, frames);
    // The cycle's own time, not its frames: a late cycle counts its frames as if on time.
    const jack_time_t now = jack_get_time();
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0) {
            // A test tool: the lock is never held long by the main thread.
            std::lock_guard lock(receiver.Mutex);
            receiver.Events.push_back({now, event.size});
            receiver.Bytes += event.size;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qvr_receive_times BYTES OUT\n");
        return 2;
    }
    const size_t wanted = std::stoul(argv[1]);
    TReceiver receiver;
    receiver.Client = jack_client_open("qvr-times", JackNoStartServer, nullptr);
    if (receiver.Client == nullptr) {
        std::fprintf(stderr, "qvr_receive_times: no JACK server\n");
        return 1;
    }
    receiver.Port =
        jack_port_register(receiver.Client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(receiver.Client, Process, &receiver);
    if (receiver.Port == nullptr || jack_activate(receiver.Client) != 0) {
        jack_client_close(receiver.Client);
        std::fprintf(stderr, "qvr_receive_times: cannot start the JACK client\n");
        return 1;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (receiver.Bytes < wanted && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    jack_client_close(receiver.Client);
    FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) {
        return 1;
    }
    for (const TEvent& event : receiver.Events) {
        std::fprintf(out, "%llu %zu\n", static_cast<unsigned long long>(event.Time), event.Size);
    }
    std::fclose(out);
    return receiver.Bytes >= wanted ? 0 : 1;
}
