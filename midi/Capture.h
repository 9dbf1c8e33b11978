#pragma once

#include "midi/SysExAssembler.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace qvr {

// How long a capture waits for the dump to go on, unless told otherwise.
inline constexpr std::chrono::milliseconds DefaultIdleTime{2000};

// Why a capture ended; Running while it goes on.
enum class TCaptureEnd { Running, Idle, Request, PortError, TooLarge };

// One reception of a dump: bytes come in on the MIDI input's thread (Feed), whole messages go
// out in order through the Message handler, on that same thread. What was dropped or ignored is
// counted, and told once per kind through the Warning handler by Finish, so that a device
// sending garbage costs a few lines, never one per byte. The capture ends
// - when the dump has not gone on for the idle time: the time counts from the first byte the
//   device sends (devices send clock and active-sensing bytes all the time, so real-time bytes
//   do not count), and a whole message, or a message under way growing longer than any begun
//   since the last whole one, starts it again; so a stream that never forms a message ends too,
// - on Stop, from any thread,
// - on a port error (Fail),
// - when the messages together would outgrow the largest message the reader takes.
class TCapture {
public:
    using TClock = std::chrono::steady_clock;
    struct THandlers {
        std::function<void(const std::vector<uint8_t>&)> Message;
        std::function<void(const std::string&)> Warning;
    };

    TCapture(std::chrono::milliseconds idle, THandlers handlers,
             size_t maxSize = MaxCapturedMessageSize());

    void Feed(std::span<const uint8_t> bytes);
    void Fail(const std::string& error);
    // The input lost bytes (`text` says how): the message under way is dropped, and the text is
    // told by Finish with the number of times it came.
    void Overrun(const std::string& text);
    void Stop();

    // The end reached by `now`, or Running.
    TCaptureEnd Check(TClock::time_point now);
    // Waits until the capture ends, for at most `atMost`; a set `interrupted` (looked at
    // every few milliseconds, since a signal handler can only set a flag) stops it.
    TCaptureEnd Wait(const std::atomic<bool>& interrupted, TClock::duration atMost);
    // After the input is closed: a message still open is dropped, and what was dropped or
    // ignored is told, a warning per kind.
    void Finish();

    // The port error that ended the capture, if any.
    std::string Error() const;

private:
    const TClock::duration IdleTime;
    const size_t MaxSize;
    THandlers Handlers;

    mutable std::mutex Mutex;
    std::condition_variable Changed;
    TSysExAssembler Assembler;
    TCaptureEnd End = TCaptureEnd::Running;
    bool Started = false; // a byte other than a real-time one came
    size_t TotalSize = 0;
    TClock::time_point LastProgress;
    std::vector<std::pair<std::string, uint64_t>> Overruns;
    std::string PortError;
};

} // namespace qvr
