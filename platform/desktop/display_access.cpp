#include "display_access.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// The same handshake Qt's xcb platform makes, with the same DISPLAY and
// XAUTHORITY, so a refused cookie counts as unreachable too. libxcb is
// loaded only here, not linked: a run at the terminal never needs it, and
// Qt's xcb platform cannot work without it.
bool x11Reachable()
{
    if (environment("DISPLAY").empty())
        return false;
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb)
        return false;
    auto connect = reinterpret_cast<decltype(&xcb_connect)>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<decltype(&xcb_connection_has_error)>(
        dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<decltype(&xcb_disconnect)>(dlsym(xcb, "xcb_disconnect"));
    if (!connect || !hasError || !disconnect)
        return false;
    xcb_connection_t *connection = connect(nullptr, nullptr);
    const bool reachable = hasError(connection) == 0;
    disconnect(connection);
    return reachable;
}

// A Wayland compositor is reachable when its socket accepts a connection
// and Qt has its Wayland platform installed (a separate package on Debian).
bool waylandReachable()
{
    const std::string name = environment("WAYLAND_DISPLAY");
    if (name.empty())
        return false;
    struct stat plugin;
    if (stat(KESTRUNE_QT_PLUGINS_DIR "/platforms/libqwayland-generic.so", &plugin) != 0)
        return false;

    const std::string path = name[0] == '/' ? name : environment("XDG_RUNTIME_DIR") + '/' + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());

    const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0)
        return false;
    const bool reachable =
        connect(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(socketFd);
    return reachable;
}

// The entry's platform name: "xcb" of " xcb:option=1 ".
std::string platformName(const std::string &entry)
{
    const std::string name = entry.substr(0, entry.find(':'));
    const size_t first = name.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos)
        return "";
    return name.substr(first, name.find_last_not_of(" \t\n\v\f\r") + 1 - first);
}

}  // namespace

bool displayNamed()
{
    return !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty() ||
           !environment("QT_QPA_PLATFORM").empty();
}

std::string displayUnreachableReason()
{
    // Chosen by the caller: Qt tries each platform of the list in turn.
    // Platforms other than these two (offscreen, vnc, ...) need no display.
    const std::string chosen = environment("QT_QPA_PLATFORM");
    if (!chosen.empty()) {
        for (size_t start = 0; start <= chosen.size();) {
            size_t end = chosen.find(';', start);
            if (end == std::string::npos)
                end = chosen.size();
            const std::string platform = platformName(chosen.substr(start, end - start));
            if (platform == "xcb" ? x11Reachable()
                : platform.compare(0, 7, "wayland") == 0 ? waylandReachable()
                                                         : !platform.empty())
                return {};
            start = end + 1;
        }
        return "cannot open a display for QT_QPA_PLATFORM=" + chosen;
    }

    if (waylandReachable()) {
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        return {};
    }
    if (x11Reachable()) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        return {};
    }
    return "cannot open the display (DISPLAY=" + environment("DISPLAY") +
           ", WAYLAND_DISPLAY=" + environment("WAYLAND_DISPLAY") + ")";
}
