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
#include <vector>

namespace qvr {

// How long a capture waits for more once a whole message arrived, unless told otherwise.
inline constexpr std::chrono::milliseconds DefaultIdleTime{2000};

// Why a capture ended; Running while it goes on.
enum class TCaptureEnd { Running, Idle, Request, PortError, TooLarge };

// One reception of a dump: bytes come in on the MIDI thread (Feed), whole messages and warnings
// go out in order through the handlers, on that same thread. The capture ends
// - when no byte has come for the idle time once at least one whole message arrived (devices
//   send clock and active-sensing bytes all the time, so real-time bytes do not count),
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
    void Stop();

    // The end reached by `now`, or Running.
    TCaptureEnd Check(TClock::time_point now);
    // Waits until the capture ends, for at most `atMost`; a set `interrupted` (looked at
    // every few milliseconds, since a signal handler can only set a flag) stops it.
    TCaptureEnd Wait(const std::atomic<bool>& interrupted, TClock::duration atMost);
    // After the input is closed: a message still open is dropped with a warning.
    void Finish();

    // The port error that ended the capture, if any.
    std::string Error() const;

private:
    void Deliver(std::vector<std::vector<uint8_t>> messages, std::vector<std::string> warnings);

    const TClock::duration IdleTime;
    const size_t MaxSize;
    THandlers Handlers;

    mutable std::mutex Mutex;
    std::condition_variable Changed;
    TSysExAssembler Assembler;
    TCaptureEnd End = TCaptureEnd::Running;
    bool WholeMessage = false;
    size_t TotalSize = 0;
    TClock::time_point LastByte;
    std::string PortError;
};

} // namespace qvr
