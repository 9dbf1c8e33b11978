#pragma once

#include "library/PresetSource.h"
#include "platform/InputFile.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qvr {

// Thrown out of a library run whose stop was asked for; no std::exception, so
// that nothing on the way takes it for a fault of the file being read.
struct TLibraryStopped {};

// Reads files on a thread of its own while the caller writes the presets of
// the files before: the two processors share the work of an add. The files
// are taken in order: each is opened on the reading thread by `open`, which
// gives the open file when its presets are to be read; the caller waits for
// that with NextFile(), then takes the file's presets in turn and its result.
// At most a few thousand presets wait, whatever the size of the files.
// Without a thread to be had, each file is opened and read when its turn
// comes.
//
// `stopped` (when given) is asked on both threads, before each block of a
// file is read and between presets: once it says true, the reading ends
// within a block and the caller's next call throws TLibraryStopped.
class TPresetPipeline {
public:
    // Opens file `index`, on the reading thread. `check` throws when the run
    // is to stop: give it to the input before reading from it.
    using TOpen =
        std::function<std::optional<TInputFile>(size_t index, const std::function<void()>& check)>;

    TPresetPipeline(TPresetSource& source, size_t files, TOpen open,
                    std::function<bool()> stopped = nullptr);
    // Stops the reading and waits for the thread.
    ~TPresetPipeline();
    TPresetPipeline(const TPresetPipeline&) = delete;
    TPresetPipeline& operator=(const TPresetPipeline&) = delete;

    // Waits until the next file was opened; true when its presets follow.
    // What `open` wrote for the file may be read once this returns.
    bool NextFile();
    // The next preset of the current file; false at its end, when Result()
    // gives what reading it gave.
    bool Next(TLibPreset& preset);
    TSourceResult Result();

private:
    struct TItem {
        enum class TKind { File, Preset, End, Stopped, Failed };
        TKind Kind = TKind::File;
        bool Reading = false; // of a File: its presets follow
        TLibPreset Preset;
        TSourceResult End;
        std::exception_ptr Failure; // of the reading thread, thrown again to the caller
    };
    // Thrown on the reading side when the caller went away.
    struct TStop {};

    void ReadAll();
    void ReadFile(size_t index);
    // Throws TLibraryStopped once the run is to stop.
    void Check() const;
    // Hands the gathered items over under one lock; waits while too many wait.
    void Flush();
    // Hands over an item that ends the reading, however many wait.
    void HandLast(TItem item);
    // The next item; throws for one that ends the reading.
    TItem Take();

    // Items go over in batches, so that the two threads rarely wake each other.
    static constexpr size_t BatchSize = 64;
    static constexpr size_t MaxWaiting = 2048;
    std::vector<TItem> Batch; // the reading side's, not yet handed over
    TPresetSource& Source;
    size_t Files;
    TOpen Open;
    std::function<bool()> Stopped;
    size_t NextToRead = 0; // without a thread: the next file to read in turn
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TItem> Waiting;
    std::atomic<bool> Stopping{false}; // the caller went away
    bool ReaderWaits = false;          // for room
    bool TakerWaits = false;           // for items
    bool Threaded = false;
    std::optional<TSourceResult> Finished; // the current file's result once taken
    std::thread Reader;
};

} // namespace qvr
