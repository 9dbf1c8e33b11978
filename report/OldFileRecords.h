#pragma once

#include "base/HeldNotices.h"
#include "report/PresetRecord.h"
#include "report/ProductConfigLookup.h" // TConfigSearch

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qvr {

// The old file of a comparison, read into preset records on a thread of its
// own while the caller reads the new file. A new preset asks for its partner
// and waits only until that preset is read or the old file is done, so the
// two files are read at the same time, and only the old file's records are
// held. Presets are matched by number (the k-th of a number with the k-th of
// the same number), presets without a number by their order.
//
// The old load's messages are kept; Finish shows them on the caller's thread,
// so they come out as if the old file had been read first.
class TOldFileRecords {
public:
    TOldFileRecords(const TConfigSearch& search, std::string file, char decimalSeparator);
    // Waits for the thread.
    ~TOldFileRecords();
    TOldFileRecords(const TOldFileRecords&) = delete;
    TOldFileRecords& operator=(const TOldFileRecords&) = delete;

    // The old file's model once its report has started; empty when it names
    // none. Throws TFailed when the old file's reading failed first.
    std::string Model();
    // The old preset that `now` matches, if any; each is matched once. Throws
    // TFailed when the old file's reading failed before it could tell.
    const TPresetRecord* Match(const TPresetRecord& now);
    // Waits for the end of the old file and shows its messages through
    // `notifier`; then rethrows what its reading threw.
    void Finish(IUserNotifier& notifier);
    // The old presets that no new one matched, in file order; after Finish.
    template <class TEach> void EachUnmatched(const TEach& each) const {
        for (size_t i = 0; i < Records.size(); ++i) {
            if (i >= Taken.size() || !Taken[i]) {
                each(Records[i]);
            }
        }
    }

    // Thrown to the caller's reading when the old file's reading failed.
    struct TFailed {};

private:
    // Numbers 0 to 254; the slot after them for presets without one.
    static constexpr size_t Slots = 256;
    static size_t Slot(std::optional<int32_t> number);
    void Read(const TConfigSearch& search, const std::string& file, char decimalSeparator);
    void Add(TPresetRecord&& record);

    std::mutex Lock;
    std::condition_variable Changed;
    // Under Lock until the thread ends. A deque: a record stays where it is
    // while more are added.
    std::deque<TPresetRecord> Records;
    std::array<std::vector<size_t>, Slots> Queues; // record indexes by number
    std::optional<std::string> OldModel;
    bool Done = false;
    std::exception_ptr Failure;

    // The caller's alone.
    std::array<size_t, Slots> Next{};
    std::vector<bool> Taken;
    THeldNotices Notices; // the thread's until it ends
    std::thread Reader;
};

} // namespace qvr
