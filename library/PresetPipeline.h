#pragma once

#include "library/PresetSource.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qvr {

// Reads files on a thread of its own while the caller writes the presets of
// the files before: the two processors share the work of an add. The files
// are read in order; the caller takes each file's presets in turn and then
// its result. At most a few thousand presets wait, whatever the size of the
// files. Without a thread to be had, each file is read when its turn comes.
class TPresetPipeline {
public:
    TPresetPipeline(TPresetSource& source, std::vector<std::string> paths);
    // Stops the reading and waits for the thread.
    ~TPresetPipeline();
    TPresetPipeline(const TPresetPipeline&) = delete;
    TPresetPipeline& operator=(const TPresetPipeline&) = delete;

    // The next preset of the current file; false at its end, when Result()
    // gives what reading it gave and the next call goes on with the next file.
    bool Next(TLibPreset& preset);
    TSourceResult Result();

private:
    struct TItem {
        std::optional<TLibPreset> Preset; // else the end of a file
        TSourceResult End;
    };
    // Thrown through the source to stop reading; no std::exception, so that
    // the source does not take it for a fault of the file.
    struct TStop {};

    void ReadAll();
    void ReadFile(const std::string& path);
    // Hands the gathered items over under one lock; waits while too many wait.
    void Flush();

    // Items go over in batches, so that the two threads rarely wake each other.
    static constexpr size_t BatchSize = 64;
    static constexpr size_t MaxWaiting = 2048;
    std::vector<TItem> Batch; // the reading side's, not yet handed over
    TPresetSource& Source;
    std::vector<std::string> Paths;
    size_t NextToRead = 0; // without a thread: the next file to read in turn
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TItem> Waiting;
    bool Stopping = false;
    bool ReaderWaits = false; // for room
    bool TakerWaits = false;  // for items
    bool Threaded = false;
    std::optional<TSourceResult> Finished; // the current file's result once taken
    std::thread Reader;
};

} // namespace qvr
