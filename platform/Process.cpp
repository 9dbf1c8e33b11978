#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

namespace qvr {

bool ProcessIsRunning(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

std::optional<TProcessActivity> ActivityOf(int pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) {
        return std::nullopt;
    }
    // "PID (COMMAND) STATE PPID ...": the command may hold blanks and parentheses, so the
    // fields are counted from the last ')'. User and system time are fields 14 and 15.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 1));
    char state = 0;
    std::string skipped;
    fields >> state;
    for (int field = 4; field <= 13 && fields; ++field) {
        fields >> skipped;
    }
    uint64_t user = 0;
    uint64_t system = 0;
    if (!(fields >> user >> system)) {
        return std::nullopt;
    }
    return TProcessActivity{state == 'R' || state == 'D', user + system};
}

} // namespace qvr
