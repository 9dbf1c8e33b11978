#include "library/PresetPipeline.h"

#include <system_error>

namespace qvr {

TPresetPipeline::TPresetPipeline(TPresetSource& source, size_t files, TOpen open,
                                 std::function<bool()> stopped)
    : Source(source), Files(files), Open(std::move(open)), Stopped(std::move(stopped)) {
    if (Files == 0) {
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

void TPresetPipeline::Check() const {
    if (Stopping || (Stopped && Stopped())) {
        throw TLibraryStopped{};
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

void TPresetPipeline::HandLast(TItem item) {
    {
        const std::lock_guard<std::mutex> guard(Lock);
        for (TItem& before : Batch) {
            Waiting.push_back(std::move(before));
        }
        Batch.clear();
        Waiting.push_back(std::move(item));
    }
    Changed.notify_all();
}

void TPresetPipeline::ReadFile(size_t index) {
    const std::function<void()> check = [this] { Check(); };
    check();
    std::optional<TInputFile> input = Open(index, check);
    Batch.push_back({TItem::TKind::File, input.has_value(), {}, {}, {}});
    if (!input) {
        if (Batch.size() >= BatchSize) {
            Flush();
        }
        return;
    }
    input->CheckBeforeRead(check);
    TSourceResult result = Source.Read(*input, [this, &check](TLibPreset&& preset) {
        check();
        Batch.push_back({TItem::TKind::Preset, false, std::move(preset), {}, {}});
        if (Batch.size() >= BatchSize) {
            Flush();
        }
    });
    Batch.push_back({TItem::TKind::End, false, {}, std::move(result), {}});
    Flush();
}

void TPresetPipeline::ReadAll() {
    try {
        for (size_t index = 0; index < Files; ++index) {
            ReadFile(index);
        }
        Flush();
    } catch (const TStop&) {
        // the caller went away
    } catch (const TLibraryStopped&) {
        HandLast({TItem::TKind::Stopped, false, {}, {}, {}});
    } catch (...) {
        // The library's own trouble (its database), for the caller to throw.
        HandLast({TItem::TKind::Failed, false, {}, {}, std::current_exception()});
    }
}

TPresetPipeline::TItem TPresetPipeline::Take() {
    std::unique_lock<std::mutex> guard(Lock);
    TakerWaits = true;
    Changed.wait(guard, [this] { return !Waiting.empty(); });
    TakerWaits = false;
    const TItem::TKind kind = Waiting.front().Kind;
    if (kind == TItem::TKind::Stopped) {
        throw TLibraryStopped{};
    }
    if (kind == TItem::TKind::Failed) {
        std::rethrow_exception(Waiting.front().Failure);
    }
    TItem item = std::move(Waiting.front());
    Waiting.pop_front();
    if (ReaderWaits && Waiting.size() < MaxWaiting / 2) {
        Changed.notify_all();
    }
    return item;
}

bool TPresetPipeline::NextFile() {
    if (!Threaded && NextToRead < Files) {
        bool empty = false;
        {
            const std::lock_guard<std::mutex> guard(Lock);
            empty = Waiting.empty();
        }
        if (empty) {
            // Without a thread: the whole next file, while the caller waits.
            ReadFile(NextToRead++);
            Flush();
        }
    }
    return Take().Reading;
}

bool TPresetPipeline::Next(TLibPreset& preset) {
    Check();
    TItem item = Take();
    if (item.Kind == TItem::TKind::Preset) {
        preset = std::move(item.Preset);
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
