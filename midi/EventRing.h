#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <jack/ringbuffer.h>
#include <memory>
#include <span>
#include <vector>

namespace qvr {

// MIDI events handed from JACK's real-time process thread to a reader thread through JACK's
// lock-free ring buffer, for one writer and one reader. The writer's side takes no lock,
// allocates nothing and makes no system call. An event goes whole or not at all: one that
// finds no room is lost, and the next event handed over says so, so that the reader can drop
// the message the loss cut instead of assembling it without the lost bytes.
class TEventRing {
public:
    // Room for `size` bytes (rounded up to a power of two), events and their headers together.
    // Throws std::bad_alloc.
    explicit TEventRing(size_t size);

    // Writer: copies the event in, or marks it lost.
    void Push(std::span<const uint8_t> event);

    // Reader: the next event into `event`, and in `lostBefore` whether events were lost just
    // before it; false when no whole event is waiting.
    bool Pop(std::vector<uint8_t>& event, bool& lostBefore);
    // Reader, once the writer has stopped: whether events were lost after the last one handed
    // over; true once for such a loss.
    bool TakeLostAtEnd() { return Lost.exchange(false); }

private:
    struct TFree {
        void operator()(jack_ringbuffer_t* ring) const { jack_ringbuffer_free(ring); }
    };

    std::unique_ptr<jack_ringbuffer_t, TFree> Ring;
    std::atomic<bool> Lost = false; // events lost since the last one handed over
};

} // namespace qvr
