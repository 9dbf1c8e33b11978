// qvr_send_dump: a JACK client that plays a preset or backup file as a device sends a dump:
// message by message, one message per process cycle, each split into small events with
// real-time bytes (clock, active sensing) between and inside them.
//
//   qvr_send_dump [OPTIONS] --to PORT_PART FILE   connects to the input port whose name
//                                                  holds PORT_PART, once it appears
//   qvr_send_dump [OPTIONS] --serve FILE           waits for a receiver to connect to its port
//
// Options: --cut plays, before the last message, a message that the next one cuts off. --flood
// BYTES plays first a message that does not end: the start of the file's first message, then data
// bytes, as many as the port's buffer takes each cycle, until BYTES have gone out. --garbage
// BYTES plays first, in the same way, messages that never end whole: a start byte and a data
// byte, again and again. The server is the one JACK_DEFAULT_SERVER names. Exits once every
// event was handed to JACK.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Events = std::vector<Bytes>;

const std::chrono::seconds Patience(60);

// The events of one message: pieces of at most 16 bytes with a clock byte after each piece
// and an active-sensing byte inside every second piece.
Events Split(const Bytes& message) {
    Events events;
    const size_t pieceSize = 16;
    for (size_t at = 0; at < message.size(); at += pieceSize) {
        Bytes piece(message.begin() + static_cast<std::ptrdiff_t>(at),
                    message.begin() +
                        static_cast<std::ptrdiff_t>(std::min(message.size(), at + pieceSize)));
        if ((at / pieceSize) % 2 == 1 && piece.size() > 1) {
            piece.insert(piece.begin() + 1, 0xFE);
        }
        events.push_back(std::move(piece));
        events.push_back({0xF8});
    }
    return events;
}

std::vector<Events> Messages(const Bytes& file, bool cut) {
    std::vector<Events> messages;
    size_t start = 0;
    for (size_t i = 0; i < file.size(); ++i) {
        if (file[i] == 0xF7) {
            messages.push_back(Split(Bytes(file.begin() + static_cast<std::ptrdiff_t>(start),
                                           file.begin() + static_cast<std::ptrdiff_t>(i) + 1)));
            start = i + 1;
        }
    }
    if (cut && !messages.empty()) {
        messages.insert(messages.end() - 1, Events{{0xF0, 0x00, 0x00, 0x10, 0x00}, {0x5A, 0x24}});
    }
    return messages;
}

struct TSender {
    jack_port_t* Port = nullptr;
    std::vector<Events> Queue;
    std::atomic<bool> Go = false;
    std::atomic<size_t> Next = 0;   // the message the next cycle plays
    std::atomic<size_t> Cycles = 0; // process cycles run so far
    Bytes FloodStart;               // the unended message's first bytes, played once
    Bytes FloodData;                // what the flood repeats
    size_t FloodLeft = 0;           // flood bytes still to play after them
    std::mutex Mutex;
    std::condition_variable Changed;

    // Called on the JACK threads, without the lock: a wake-up lost to a race only costs
    // one round of WaitFor.
    void Notify() { Changed.notify_all(); }
};

// Fills the buffer of one cycle with the flood, in events of at most 1 KiB.
void Flood(TSender& sender, void* buffer) {
    const Bytes& data = sender.FloodData;
    if (!sender.FloodStart.empty()) {
        jack_midi_event_write(buffer, 0, sender.FloodStart.data(), sender.FloodStart.size());
        sender.FloodStart.clear();
    }
    for (;;) {
        const size_t size =
            std::min({data.size(), sender.FloodLeft, jack_midi_max_event_size(buffer)});
        if (size == 0 || jack_midi_event_write(buffer, 0, data.data(), size) != 0) {
            return;
        }
        sender.FloodLeft -= size;
    }
}

int Process(jack_nframes_t frames, void* arg) {
    auto& sender = *static_cast<TSender*>(arg);
    void* buffer = jack_port_get_buffer(sender.Port, frames);
    jack_midi_clear_buffer(buffer);
    ++sender.Cycles;
    const size_t next = sender.Next;
    if (!sender.Go || next >= sender.Queue.size()) {
        return 0;
    }
    if (sender.FloodLeft > 0) {
        Flood(sender, buffer);
        return 0;
    }
    jack_nframes_t time = 0;
    for (const Bytes& event : sender.Queue[next]) {
        jack_midi_event_write(buffer, time, event.data(), event.size());
        time = std::min(time + 1, frames - 1);
    }
    sender.Next = next + 1;
    return 0;
}

void OnGraphChange(jack_port_id_t, int, void* arg) {
    static_cast<TSender*>(arg)->Notify();
}
void OnConnect(jack_port_id_t, jack_port_id_t, int, void* arg) {
    static_cast<TSender*>(arg)->Notify();
}

// Waits, as long as the patience lasts, until `ready` holds; it is tried again after each
// change of the JACK graph, and at least every 100 ms.
template <typename TReady> bool WaitFor(TSender& sender, TReady ready) {
    const auto until = std::chrono::steady_clock::now() + Patience;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::unique_lock lock(sender.Mutex);
        sender.Changed.wait_for(lock, std::chrono::milliseconds(100));
    }
    return true;
}

void WaitCycles(const TSender& sender, size_t cycles) {
    const size_t until = sender.Cycles + cycles;
    while (sender.Cycles < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "qvr_send_dump: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool cut = false;
    bool serve = false;
    size_t flood = 0;
    bool garbage = false;
    std::string target;
    std::string file;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--cut") {
            cut = true;
        } else if (args[i] == "--serve") {
            serve = true;
        } else if ((args[i] == "--flood" || args[i] == "--garbage") && i + 1 < args.size()) {
            garbage = args[i] == "--garbage";
            flood = std::stoul(args[++i]);
        } else if (args[i] == "--to" && i + 1 < args.size()) {
            target = args[++i];
        } else {
            file = args[i];
        }
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || (serve == !target.empty())) {
        return Fail("usage: qvr_send_dump [--cut] [--flood BYTES | --garbage BYTES] "
                    "(--to PORT_PART | --serve) FILE");
    }

    TSender sender;
    sender.Queue = Messages(bytes, cut);
    if (flood > 0 && garbage) {
        for (size_t i = 0; i < 1024; ++i) {
            sender.FloodData.push_back(i % 2 == 0 ? 0xF0 : 0x55);
        }
        sender.FloodLeft = flood;
    } else if (flood > 0) {
        sender.FloodStart.assign(bytes.begin(),
                                 bytes.begin() + std::min<std::ptrdiff_t>(8, std::ssize(bytes)));
        sender.FloodData.assign(1024, 0x55);
        sender.FloodLeft = flood;
    }
    jack_client_t* client = jack_client_open("qvr-send", JackNoStartServer, nullptr);
    if (client == nullptr) {
        return Fail("no JACK server");
    }
    sender.Port = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, Process, &sender);
    jack_set_port_registration_callback(client, OnGraphChange, &sender);
    jack_set_port_connect_callback(client, OnConnect, &sender);
    if (sender.Port == nullptr || jack_activate(client) != 0) {
        jack_client_close(client);
        return Fail("cannot start the JACK client");
    }

    bool connected = false;
    if (serve) {
        connected = WaitFor(sender, [&] { return jack_port_connected(sender.Port) > 0; });
    } else {
        connected = WaitFor(sender, [&] {
            const char** ports =
                jack_get_ports(client, target.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
            const bool found = ports != nullptr && ports[0] != nullptr &&
                               jack_connect(client, jack_port_name(sender.Port), ports[0]) == 0;
            jack_free(static_cast<void*>(ports));
            return found;
        });
    }
    if (!connected) {
        jack_client_close(client);
        return Fail("no receiver");
    }
    // A new connection carries data from the cycle after the graph took it in; two cycles
    // after the last message, the receiver has read everything.
    WaitCycles(sender, 2);
    sender.Go = true;
    while (sender.Next < sender.Queue.size()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    WaitCycles(sender, 2);
    jack_client_close(client);
    return 0;
}
