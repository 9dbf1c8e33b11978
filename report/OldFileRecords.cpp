#include "report/OldFileRecords.h"

#include "report/PresetReport.h"

#include <system_error>

namespace qvr {

TOldFileRecords::TOldFileRecords(const TConfigSearch& search, std::string file,
                                 char decimalSeparator) {
    try {
        Reader = std::thread(
            [this, search, file, decimalSeparator] { Read(search, file, decimalSeparator); });
    } catch (const std::system_error&) {
        Read(search, file, decimalSeparator); // no thread to be had: first the old file
    }
}

TOldFileRecords::~TOldFileRecords() {
    if (Reader.joinable()) {
        Reader.join();
    }
}

size_t TOldFileRecords::Slot(std::optional<int32_t> number) {
    return number && *number >= 0 && *number < static_cast<int32_t>(Slots) - 1
               ? static_cast<size_t>(*number)
               : Slots - 1;
}

void TOldFileRecords::Read(const TConfigSearch& search, const std::string& file,
                           char decimalSeparator) {
    std::exception_ptr failure;
    try {
        TPresetReport report(Notices, search);
        TPresetCollector collector([this](TPresetRecord&& record) { Add(std::move(record)); },
                                   [this](std::string_view model) {
                                       const std::lock_guard<std::mutex> guard(Lock);
                                       OldModel = std::string(model);
                                       Changed.notify_all();
                                   });
        report.Emit(file, collector, decimalSeparator);
    } catch (...) {
        failure = std::current_exception();
    }
    const std::lock_guard<std::mutex> guard(Lock);
    Failure = failure;
    Done = true;
    Changed.notify_all();
}

void TOldFileRecords::Add(TPresetRecord&& record) {
    record.Body.shrink_to_fit(); // held until the end
    const std::lock_guard<std::mutex> guard(Lock);
    Queues[Slot(record.Number)].push_back(Records.size());
    Records.push_back(std::move(record));
    Changed.notify_all();
}

std::string TOldFileRecords::Model() {
    std::unique_lock<std::mutex> guard(Lock);
    Changed.wait(guard, [this] { return OldModel.has_value() || Done; });
    if (Failure) {
        throw TFailed{};
    }
    return OldModel.value_or(std::string());
}

const TPresetRecord* TOldFileRecords::Match(const TPresetRecord& now) {
    const size_t slot = Slot(now.Number);
    std::unique_lock<std::mutex> guard(Lock);
    const std::vector<size_t>& queue = Queues[slot];
    Changed.wait(guard, [&] { return Next[slot] < queue.size() || Done; });
    if (Failure) {
        throw TFailed{};
    }
    if (Next[slot] >= queue.size()) {
        return nullptr;
    }
    const size_t index = queue[Next[slot]++];
    if (index >= Taken.size()) {
        Taken.resize(index + 1);
    }
    Taken[index] = true;
    return &Records[index];
}

void TOldFileRecords::Finish(IUserNotifier& notifier) {
    if (Reader.joinable()) {
        Reader.join();
    }
    Notices.ShowThrough(notifier);
    if (Failure) {
        std::rethrow_exception(Failure);
    }
}

} // namespace qvr
