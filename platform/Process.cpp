#include "platform/Process.h"

#include <cerrno>
#include <csignal>

namespace qvr {

bool ProcessIsRunning(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

} // namespace qvr
