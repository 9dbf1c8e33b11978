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

void TPresetPipeline::Flush() {
    std::unique_lock<std::mutex> guard(Lock);
    ReaderWaits = Threaded;
    Changed.wait(guard, [this] { return !Threaded || Waiting.size() < MaxWaiting || Stopping; });
    ReaderWaits = false;
    if (Stopping) {
        throw TStop{};
    }
    for (TItem& item : Batch) {
        Waiting.push_back(std::move(item));
    }
    Batch.clear();
    if (TakerWaits) {
        Changed.notify_all();
    }
}

void TPresetPipeline::ReadFile(const std::string& path) {
    TSourceResult result = Source.Read(path, [this](TLibPreset&& preset) {
        Batch.push_back({std::move(preset), {}});
        if (Batch.size() >= BatchSize) {
            Flush();
        }
    });
    Batch.push_back({std::nullopt, std::move(result)});
    Flush();
}

void TPresetPipeline::ReadAll() {
    try {
        for (const std::string& path : Paths) {
            ReadFile(path);
        }
    } catch (const TStop&) {
        // the caller went away
    }
}

bool TPresetPipeline::Next(TLibPreset& preset) {
    if (!Threaded) {
        bool empty = false;
        {
            const std::lock_guard<std::mutex> guard(Lock);
            empty = Waiting.empty();
        }
        if (empty && NextToRead < Paths.size()) {
            // Without a thread: the whole next file, while the caller waits.
            ReadFile(Paths[NextToRead++]);
        }
    }
    std::unique_lock<std::mutex> guard(Lock);
    TakerWaits = true;
    Changed.wait(guard, [this] { return !Waiting.empty(); });
    TakerWaits = false;
    TItem item = std::move(Waiting.front());
    Waiting.pop_front();
    if (ReaderWaits && Waiting.size() < MaxWaiting / 2) {
        Changed.notify_all();
    }
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
