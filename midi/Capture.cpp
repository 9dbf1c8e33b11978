#include "midi/Capture.h"

#include <algorithm>

namespace qvr {

TCapture::TCapture(std::chrono::milliseconds idle, THandlers handlers, size_t maxSize)
    : IdleTime(idle), MaxSize(maxSize), Handlers(std::move(handlers)), Assembler(maxSize),
      LastProgress(TClock::now()) {}

void TCapture::Feed(std::span<const uint8_t> bytes) {
    std::vector<std::vector<uint8_t>> messages;
    {
        std::lock_guard lock(Mutex);
        if (End != TCaptureEnd::Running) {
            return;
        }
        const bool advanced = Assembler.Feed(bytes);
        if (advanced || (!Started && std::any_of(bytes.begin(), bytes.end(),
                                                 [](uint8_t b) { return b < 0xF8; }))) {
            Started = true;
            LastProgress = TClock::now();
        }
        messages = Assembler.TakeMessages();
        for (auto it = messages.begin(); it != messages.end(); ++it) {
            if (it->size() > MaxSize - TotalSize) {
                // Later messages are dropped too, so what is kept stays in order.
                messages.erase(it, messages.end());
                End = TCaptureEnd::TooLarge;
                break;
            }
            TotalSize += it->size();
        }
    }
    Changed.notify_all();
    if (Handlers.Message) {
        for (const std::vector<uint8_t>& message : messages) {
            Handlers.Message(message);
        }
    }
}

void TCapture::Fail(const std::string& error) {
    {
        std::lock_guard lock(Mutex);
        if (End != TCaptureEnd::Running) {
            return;
        }
        PortError = error;
        End = TCaptureEnd::PortError;
    }
    Changed.notify_all();
}

void TCapture::Overrun(const std::string& text) {
    std::lock_guard lock(Mutex);
    Assembler.Cut("bytes were lost");
    const auto same = std::find_if(Overruns.begin(), Overruns.end(),
                                   [&text](const auto& each) { return each.first == text; });
    if (same != Overruns.end()) {
        ++same->second;
    } else {
        Overruns.emplace_back(text, 1);
    }
}

void TCapture::Stop() {
    {
        std::lock_guard lock(Mutex);
        if (End == TCaptureEnd::Running) {
            End = TCaptureEnd::Request;
        }
    }
    Changed.notify_all();
}

TCaptureEnd TCapture::Check(TClock::time_point now) {
    std::lock_guard lock(Mutex);
    // A message still open when the idle time runs out is dropped by Finish.
    if (End == TCaptureEnd::Running && Started && now - LastProgress >= IdleTime) {
        End = TCaptureEnd::Idle;
    }
    return End;
}

TCaptureEnd TCapture::Wait(const std::atomic<bool>& interrupted, TClock::duration atMost) {
    const TClock::duration period = std::chrono::milliseconds(50);
    const TClock::time_point until = TClock::now() + atMost;
    for (;;) {
        if (interrupted) {
            Stop();
        }
        const TClock::time_point now = TClock::now();
        const TCaptureEnd end = Check(now);
        if (end != TCaptureEnd::Running || now >= until) {
            return end;
        }
        std::unique_lock lock(Mutex);
        Changed.wait_for(lock, std::min(period, until - now));
    }
}

void TCapture::Finish() {
    std::vector<std::string> warnings;
    {
        std::lock_guard lock(Mutex);
        Assembler.Finish();
        warnings = Assembler.TakeWarnings();
        for (const auto& [text, count] : Overruns) {
            warnings.push_back(count == 1 ? text : text + " (" + std::to_string(count) + " times)");
        }
        Overruns.clear();
    }
    if (Handlers.Warning) {
        for (const std::string& warning : warnings) {
            Handlers.Warning(warning);
        }
    }
}

std::string TCapture::Error() const {
    std::lock_guard lock(Mutex);
    return PortError;
}

} // namespace qvr
