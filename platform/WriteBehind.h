#pragma once

#include "base/ByteTarget.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace qvr {

// Hands the bytes on to another target from a thread of its own, so that the
// writing (the kernel's copy into the file and its start on the disk) goes on
// while the next bytes are produced. The bytes are collected in a few blocks
// of fixed size: memory stays the same however much is written, and a writer
// that gets ahead waits for a free block.
//
// The other target is used by that thread only, from the first Put until
// Finish returns or this object is gone; afterwards its state (a first failure
// it kept) tells how the writing went.
class TWriteBehind : public IByteTarget {
public:
    explicit TWriteBehind(IByteTarget& target);
    // Stops the thread; bytes not handed on by Finish are dropped.
    ~TWriteBehind() override;
    TWriteBehind(const TWriteBehind&) = delete;
    TWriteBehind& operator=(const TWriteBehind&) = delete;

    void Put(std::string_view bytes) override;
    // Hands on every byte put so far and waits until the other target has taken
    // them. Rethrows what the other target threw, if anything.
    void Finish();

    static constexpr size_t BlockSize = 1024 * 1024;
    static constexpr size_t BlockCount = 3;

private:
    struct TBlock {
        std::unique_ptr<char[]> Bytes;
        size_t Size = 0;
    };

    // Queues the current block, if it holds anything, and takes a free one.
    void HandOn();
    void Run();

    IByteTarget& Target;
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<TBlock> Free;   // under Lock
    std::deque<TBlock> Queued;  // under Lock
    bool Busy = false;          // under Lock: the thread is writing a block
    bool Stopping = false;      // under Lock
    std::exception_ptr Failure; // under Lock
    TBlock Current;
    std::thread Worker;
};

} // namespace qvr
