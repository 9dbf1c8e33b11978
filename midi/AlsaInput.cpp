#include "midi/RawInput.h"
#include "platform/FileDescriptor.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <vector>

namespace qvr {

namespace {

struct TCloseSequencer {
    void operator()(snd_seq_t* seq) const { snd_seq_close(seq); }
};
struct TFreeParser {
    void operator()(snd_midi_event_t* parser) const { snd_midi_event_free(parser); }
};

// Room for any event but a system-exclusive one, which is handed over as it comes.
constexpr size_t ShortEventSize = 16;

// The sequencer's events turned back into MIDI bytes on a thread of its own, which waits on the
// sequencer and on a wake-up that Close sends.
class TAlsaInput final : public TRawInput {
public:
    TAlsaInput(const std::string& clientName, TMidiInput::TBytesHandler onBytes,
               TMidiInput::TErrorHandler onError)
        : OnBytes(std::move(onBytes)), OnError(std::move(onError)),
          WakeUp(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        snd_seq_t* seq = nullptr;
        if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
            throw EMidiError("the ALSA sequencer cannot be opened");
        }
        Sequencer.reset(seq);
        snd_midi_event_t* parser = nullptr;
        if (snd_midi_event_new(ShortEventSize, &parser) < 0 || !WakeUp.IsOpen()) {
            throw EMidiError("out of resources for the ALSA input");
        }
        Parser.reset(parser);
        // Every status byte is written out, so that the assembler sees each message's start.
        snd_midi_event_no_status(parser, 1);
        snd_seq_set_client_name(seq, clientName.c_str());
    }

    ~TAlsaInput() override { Close(); }

    // The library lists a port as "client:port C:P"; the numbers at the end name it exactly.
    void Connect(const std::string& listedName) override {
        Register("in");
        const std::string address = listedName.substr(listedName.rfind(' ') + 1);
        snd_seq_addr_t source{};
        if (snd_seq_parse_address(Sequencer.get(), &source, address.c_str()) < 0 ||
            snd_seq_connect_from(Sequencer.get(), Port, source.client, source.port) < 0) {
            throw EMidiError("cannot connect to the ALSA port '" + listedName + "'");
        }
    }

    void OpenOwnPort(const std::string& name) override { Register(name); }

    void Close() override {
        if (Reader.joinable()) {
            const uint64_t one = 1;
            while (write(WakeUp.Get(), &one, sizeof one) < 0 && errno == EINTR) {
            }
            Reader.join();
        }
        Sequencer.reset();
    }

private:
    void Register(const std::string& name) {
        if (!Sequencer || Port >= 0) {
            throw EMidiError("the MIDI input is closed or open already");
        }
        Port = snd_seq_create_simple_port(
            Sequencer.get(), name.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (Port < 0) {
            throw EMidiError("cannot make the ALSA port '" + name + "'");
        }
        Reader = std::thread([this] { Read(); });
    }

    void Read() {
        const int count = snd_seq_poll_descriptors_count(Sequencer.get(), POLLIN);
        std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
        snd_seq_poll_descriptors(Sequencer.get(), fds.data(), static_cast<unsigned>(count), POLLIN);
        fds.back() = {WakeUp.Get(), POLLIN, 0};
        for (;;) {
            if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
                OnError("waiting for the ALSA sequencer failed", true);
                return;
            }
            if (fds.back().revents != 0 || !TakeEvents()) {
                return;
            }
        }
    }

    // Hands over every event waiting; false after an error that ends the input.
    bool TakeEvents() {
        for (;;) {
            snd_seq_event_t* event = nullptr;
            const int result = snd_seq_event_input(Sequencer.get(), &event);
            if (result == -EAGAIN) {
                return true;
            }
            if (result == -ENOSPC) {
                OnError("MIDI input overrun: the ALSA sequencer dropped events", false);
                continue;
            }
            if (result < 0) {
                OnError(std::string("the ALSA sequencer failed: ") + snd_strerror(result), true);
                return false;
            }
            Deliver(*event);
        }
    }

    void Deliver(const snd_seq_event_t& event) {
        if (event.type == SND_SEQ_EVENT_SYSEX) {
            OnBytes(std::span<const uint8_t>(static_cast<const uint8_t*>(event.data.ext.ptr),
                                             event.data.ext.len));
            return;
        }
        // Events that are no MIDI bytes (a new subscriber, a port that has gone) decode to an
        // error and are passed over.
        unsigned char bytes[ShortEventSize];
        const long size = snd_midi_event_decode(Parser.get(), bytes, sizeof bytes, &event);
        if (size > 0) {
            OnBytes(std::span<const uint8_t>(bytes, static_cast<size_t>(size)));
        }
    }

    TMidiInput::TBytesHandler OnBytes;
    TMidiInput::TErrorHandler OnError;
    TFileDescriptor WakeUp;
    std::unique_ptr<snd_seq_t, TCloseSequencer> Sequencer;
    std::unique_ptr<snd_midi_event_t, TFreeParser> Parser;
    int Port = -1;
    std::thread Reader;
};

} // namespace

std::unique_ptr<TRawInput> OpenAlsaInput(const std::string& clientName,
                                         TMidiInput::TBytesHandler onBytes,
                                         TMidiInput::TErrorHandler onError) {
    return std::make_unique<TAlsaInput>(clientName, std::move(onBytes), std::move(onError));
}

} // namespace qvr
