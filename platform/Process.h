#pragma once

namespace qvr {

// Whether a process with this id is running. A process that this one may not signal counts as
// running: only a process known to be gone is not.
bool ProcessIsRunning(int pid);

} // namespace qvr
