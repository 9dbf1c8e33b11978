#include "platform/TempFiles.h"

#include "platform/FolderTree.h"
#include "platform/Process.h"

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

namespace {

constexpr std::string_view Suffix = ".tmp";

// Guarded paths, kept where a signal handler can read them without allocating. A handler may
// read a slot that is being reused at that moment; it then unlinks a name that is not there.
struct TSlot {
    enum : int { Free, Filling, Held };
    std::atomic<int> State{Free};
    int Dir = AT_FDCWD; // the folder Path is relative to
    std::array<char, PATH_MAX> Path{};
};
constexpr size_t SlotCount = 64;
std::array<TSlot, SlotCount> Slots;

extern "C" void OnEndingSignal(int signal) {
    RemoveTempFilesAndEnd(signal);
}

// The folders swept in this run, as their writers name them.
std::mutex SweptMutex;
std::set<std::string> Swept;

// "<pid>" of "…<pid>.<number>.tmp" when the name has that form, 0 otherwise.
int WriterOf(std::string_view name) {
    if (name.size() <= Suffix.size() + 1 || name.front() != '.' ||
        name.substr(name.size() - Suffix.size()) != Suffix) {
        return 0;
    }
    name.remove_suffix(Suffix.size());
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.size() <= 10 && s.find_first_not_of("0123456789") == s.npos;
    };
    const size_t numberDot = name.rfind('.');
    if (numberDot == name.npos || !digits(name.substr(numberDot + 1))) {
        return 0;
    }
    name = name.substr(0, numberDot);
    const size_t pidDot = name.rfind('.');
    const std::string_view pid = pidDot == name.npos ? "" : name.substr(pidDot + 1);
    if (pidDot == 0 || !digits(pid) || pid.size() > 9) {
        return 0;
    }
    return std::stoi(std::string(pid));
}

} // namespace

std::string TempFileName(const std::string& target, unsigned number) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tail = ".";
    tail.append(std::to_string(::getpid())).append(".").append(std::to_string(number));
    tail.append(Suffix);
    if (1 + base.size() + tail.size() > NAME_MAX) {
        base.resize(NAME_MAX - 1 - tail.size());
    }
    return folder + "." + base + tail;
}

mode_t NewFileMode() {
    // The umask can only be read by setting it, which would race with other threads making
    // files; the kernel shows it here instead.
    std::ifstream status("/proc/self/status");
    std::string line;
    mode_t umask = 022;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            umask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
            break;
        }
    }
    return 0666 & ~umask;
}

namespace {

void SweepFolder(int dir) {
    std::vector<std::string> names;
    if (!ListFolder(dir, names)) {
        return;
    }
    for (const std::string& name : names) {
        const int pid = WriterOf(name);
        struct stat st {};
        if (pid > 0 && pid != ::getpid() && !ProcessIsRunning(pid) &&
            ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid()) {
            ::unlinkat(dir, name.c_str(), 0);
        }
    }
}

} // namespace

void SweepStaleTempFilesOnce(int dir, const std::string& folder) {
    std::string key = folder.empty() ? "." : folder;
    while (key.size() > 1 && key.back() == '/') {
        key.pop_back();
    }
    {
        const std::lock_guard lock(SweptMutex);
        if (!Swept.insert(std::move(key)).second) {
            return;
        }
    }
    SweepFolder(dir);
}

TTempFileGuard::TTempFileGuard(const std::string& path) : TTempFileGuard(AT_FDCWD, path) {}

TTempFileGuard::TTempFileGuard(int dir, const std::string& name) : Slot(-1) {
    if (name.size() >= PATH_MAX) {
        return;
    }
    for (size_t i = 0; i < SlotCount; ++i) {
        int expected = TSlot::Free;
        if (Slots[i].State.compare_exchange_strong(expected, TSlot::Filling)) {
            Slots[i].Dir = dir;
            std::memcpy(Slots[i].Path.data(), name.c_str(), name.size() + 1);
            Slots[i].State.store(TSlot::Held);
            Slot = static_cast<int>(i);
            return;
        }
    }
}

TTempFileGuard::~TTempFileGuard() {
    if (Slot >= 0) {
        Slots[static_cast<size_t>(Slot)].State.store(TSlot::Free);
    }
}

TEndingSignalsHeld::TEndingSignalsHeld() {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&ending, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &ending, &Before);
}

TEndingSignalsHeld::~TEndingSignalsHeld() {
    // A signal that came meanwhile is handled here, with the file guarded.
    ::pthread_sigmask(SIG_SETMASK, &Before, nullptr);
}

void RemoveTempFilesAndEnd(int signal) {
    for (TSlot& slot : Slots) {
        if (slot.State.load() == TSlot::Held) {
            ::unlinkat(slot.Dir, slot.Path.data(), 0);
        }
    }
    // Blocked while a handler runs, the signal raised again ends the process as it returns.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void RemoveTempFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace qvr
