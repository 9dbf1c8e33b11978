#include "app/shell/DisplayCheck.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace qvr {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool XReachable() {
    if (Environment("DISPLAY").empty()) {
        return false;
    }
    xcb_connection_t* const connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
}

// The compositor's socket: WAYLAND_DISPLAY as a path, or a name in XDG_RUNTIME_DIR.
bool WaylandReachable() {
    const std::string display = Environment("WAYLAND_DISPLAY");
    if (display.empty()) {
        return false;
    }
    const std::string path =
        display.front() == '/' ? display : Environment("XDG_RUNTIME_DIR") + "/" + display;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool reached =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return reached;
}

} // namespace

bool DisplayReachable() {
    const std::string platforms = Environment("QT_QPA_PLATFORM");
    if (platforms.empty()) {
        return WaylandReachable() || XReachable();
    }
    // "name:arguments;fallback;...": Qt tries them in turn.
    std::string_view rest = platforms;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find(';'));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        const std::string_view name = entry.substr(0, entry.find(':'));
        if (name == "xcb"                 ? XReachable()
            : name.starts_with("wayland") ? WaylandReachable()
                                          : !name.empty()) {
            return true;
        }
    }
    return false;
}

} // namespace qvr
