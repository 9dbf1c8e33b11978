#pragma once

#include <cstdint>
#include <optional>

namespace qvr {

// Whether a process with this id is running. A process that this one may not signal counts as
// running: only a process known to be gone is not.
bool ProcessIsRunning(int pid);

// What tells whether a process is getting on with its work: it is running or waiting for the
// disk, or the processor time it has used grows between two looks.
struct TProcessActivity {
    bool Busy = false;     // running, runnable or in an uninterruptible (disk) wait
    uint64_t CpuTicks = 0; // user and system time so far, in clock ticks
};

// The activity of process `pid`; none when it cannot be looked at (gone, or no /proc).
std::optional<TProcessActivity> ActivityOf(int pid);

} // namespace qvr
