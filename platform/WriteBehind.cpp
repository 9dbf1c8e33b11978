#include "platform/WriteBehind.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

namespace qvr {

TWriteBehind::TWriteBehind(IByteTarget& target) : Target(target) {
    for (size_t i = 0; i < BlockCount; ++i) {
        Free.push_back({std::make_unique_for_overwrite<char[]>(BlockSize), 0});
    }
    Current = std::move(Free.back());
    Free.pop_back();
    try {
        Worker = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the bytes go on at once.
    }
}

TWriteBehind::~TWriteBehind() {
    {
        const std::lock_guard<std::mutex> guard(Lock);
        Stopping = true;
        Queued.clear();
    }
    Changed.notify_all();
    if (Worker.joinable()) {
        Worker.join();
    }
}

void TWriteBehind::Put(std::string_view bytes) {
    if (!Worker.joinable()) {
        Target.Put(bytes);
        return;
    }
    while (!bytes.empty()) {
        const size_t n = std::min(bytes.size(), BlockSize - Current.Size);
        std::memcpy(Current.Bytes.get() + Current.Size, bytes.data(), n);
        Current.Size += n;
        bytes.remove_prefix(n);
        if (Current.Size == BlockSize) {
            HandOn();
        }
    }
}

void TWriteBehind::HandOn() {
    if (Current.Size == 0) {
        return;
    }
    std::unique_lock<std::mutex> guard(Lock);
    Queued.push_back(std::move(Current));
    Changed.notify_all();
    Changed.wait(guard, [this] { return !Free.empty(); });
    Current = std::move(Free.back());
    Free.pop_back();
}

void TWriteBehind::Finish() {
    HandOn();
    std::unique_lock<std::mutex> guard(Lock);
    Changed.wait(guard, [this] { return Queued.empty() && !Busy; });
    if (Failure) {
        std::rethrow_exception(std::exchange(Failure, nullptr));
    }
}

void TWriteBehind::Run() {
    std::unique_lock<std::mutex> guard(Lock);
    while (true) {
        Changed.wait(guard, [this] { return Stopping || !Queued.empty(); });
        if (Queued.empty()) {
            return;
        }
        TBlock block = std::move(Queued.front());
        Queued.pop_front();
        Busy = true;
        // After a throw the other target gets nothing more.
        const bool failed = Failure != nullptr;
        guard.unlock();
        try {
            if (!failed) {
                Target.Put(std::string_view(block.Bytes.get(), block.Size));
            }
        } catch (...) {
            guard.lock();
            Failure = std::current_exception();
            guard.unlock();
        }
        block.Size = 0;
        guard.lock();
        Busy = false;
        Free.push_back(std::move(block));
        Changed.notify_all();
    }
}

} // namespace qvr
