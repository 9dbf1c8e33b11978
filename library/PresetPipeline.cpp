#include "library/PresetPipeline.h"

#include <system_error>

namespace qvr {

TPresetPipeline::TPresetPipeline(TPresetSource& source, std::vector<std::string> paths)
    : Source(source), Paths(std::move(paths)) {
    if (Paths.empty()) {
        return;
    }
    try {
        Reader = std::thread([this] { ReadAll(); });
        Threaded = true;
    } catch (const std::system_error&) {
        Threaded = false; // read in turn
    }
}

TPresetPipeline::~TPresetPipeline() {
    {
        const std::lock_guard<std::mutex> guard(Lock);
        Stopping = true;
    }
    Changed.notify_all();
    if (Reader.joinable()) {
        Reader.join();
    }
}

void TPresetPipeline::Push(TItem&& item) {
    std::unique_lock<std::mutex> guard(Lock);
    if (Threaded) {
        Changed.wait(guard, [this] { return Waiting.size() < MaxWaiting || Stopping; });
    }
    if (Stopping) {
        throw TStop{};
    }
    Waiting.push_back(std::move(item));
    Changed.notify_all();
}

void TPresetPipeline::ReadAll() {
    try {
        for (const std::string& path : Paths) {
            TSourceResult result =
                Source.Read(path, [this](TLibPreset&& preset) { Push({std::move(preset), {}}); });
            Push({std::nullopt, std::move(result)});
        }
    } catch (const TStop&) {
        // the caller went away
    }
}

bool TPresetPipeline::Next(TLibPreset& preset) {
    std::unique_lock<std::mutex> guard(Lock);
    if (!Threaded && Waiting.empty() && NextToRead < Paths.size()) {
        // Without a thread: the whole next file, while the caller waits.
        guard.unlock();
        const std::string& path = Paths[NextToRead++];
        TSourceResult result =
            Source.Read(path, [this](TLibPreset&& p) { Push({std::move(p), {}}); });
        Push({std::nullopt, std::move(result)});
        guard.lock();
    }
    Changed.wait(guard, [this] { return !Waiting.empty(); });
    TItem item = std::move(Waiting.front());
    Waiting.pop_front();
    Changed.notify_all();
    if (item.Preset) {
        preset = std::move(*item.Preset);
        return true;
    }
    Finished = std::move(item.End);
    return false;
}

TSourceResult TPresetPipeline::Result() {
    TSourceResult result = std::move(Finished.value());
    Finished.reset();
    return result;
}

} // namespace qvr
