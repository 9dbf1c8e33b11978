#include "midi/EventRing.h"

#include <new>

namespace qvr {

namespace {

// Each event goes through the ring as a header and its bytes; the header holds the size and a
// flag for events lost just before this one.
using THeader = uint32_t;
constexpr THeader LostBefore = THeader{1} << 31;

} // namespace

TEventRing::TEventRing(size_t size) : Ring(jack_ringbuffer_create(size)) {
    if (!Ring) {
        throw std::bad_alloc();
    }
    // Kept in memory, so that the writer never waits on a page fault; without the right to
    // lock memory it works all the same.
    jack_ringbuffer_mlock(Ring.get());
}

void TEventRing::Push(std::span<const uint8_t> event) {
    jack_ringbuffer_t* ring = Ring.get();
    if (event.size() >= LostBefore ||
        jack_ringbuffer_write_space(ring) < sizeof(THeader) + event.size()) {
        Lost = true;
        return;
    }
    const THeader header =
        static_cast<THeader>(event.size()) | (Lost.exchange(false) ? LostBefore : 0);
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&header), sizeof header);
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(event.data()), event.size());
}

bool TEventRing::Pop(std::vector<uint8_t>& event, bool& lostBefore) {
    jack_ringbuffer_t* ring = Ring.get();
    THeader header = 0;
    if (jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&header), sizeof header) !=
        sizeof header) {
        return false;
    }
    const size_t size = header & ~LostBefore;
    if (jack_ringbuffer_read_space(ring) < sizeof header + size) {
        return false; // the writer is still at it
    }
    jack_ringbuffer_read_advance(ring, sizeof header);
    event.resize(size);
    jack_ringbuffer_read(ring, reinterpret_cast<char*>(event.data()), size);
    lostBefore = (header & LostBefore) != 0;
    return true;
}

} // namespace qvr
