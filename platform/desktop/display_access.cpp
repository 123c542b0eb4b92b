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

// The part of libxcb the check needs. Loaded, not linked: a run at the
// terminal never needs it, and Qt's xcb platform cannot work without it.
struct Xcb {
    decltype(&xcb_connect) connect = nullptr;
    decltype(&xcb_connection_has_error) hasError = nullptr;
    decltype(&xcb_disconnect) disconnect = nullptr;
};

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

Xcb loadXcb()
{
    Xcb xcb;
    if (environment("DISPLAY").empty())
        return xcb;
    void *library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return xcb;
    xcb.connect = reinterpret_cast<decltype(&xcb_connect)>(dlsym(library, "xcb_connect"));
    xcb.hasError = reinterpret_cast<decltype(&xcb_connection_has_error)>(
        dlsym(library, "xcb_connection_has_error"));
    xcb.disconnect = reinterpret_cast<decltype(&xcb_disconnect)>(dlsym(library, "xcb_disconnect"));
    if (!xcb.connect || !xcb.hasError || !xcb.disconnect)
        xcb.connect = nullptr;
    return xcb;
}

// The same handshake Qt's xcb platform makes, with the same DISPLAY and
// XAUTHORITY, so a refused cookie counts as unreachable too.
bool x11Reachable(const Xcb &xcb)
{
    if (environment("DISPLAY").empty() || !xcb.connect)
        return false;
    xcb_connection_t *connection = xcb.connect(nullptr, nullptr);
    const bool reachable = xcb.hasError(connection) == 0;
    xcb.disconnect(connection);
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

struct Outcome {
    std::string unreachableReason;
    std::string pinnedPlatform;  // for QT_QPA_PLATFORM, when Qt was left to choose
};

Outcome check(const Xcb &xcb)
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
            if (platform == "xcb" ? x11Reachable(xcb)
                : platform.compare(0, 7, "wayland") == 0 ? waylandReachable()
                                                         : !platform.empty())
                return {};
            start = end + 1;
        }
        return {"cannot open a display for QT_QPA_PLATFORM=" + chosen, ""};
    }

    if (waylandReachable())
        return {"", "wayland"};
    if (x11Reachable(xcb))
        return {"", "xcb"};
    return {"cannot open the display (DISPLAY=" + environment("DISPLAY") +
                ", WAYLAND_DISPLAY=" + environment("WAYLAND_DISPLAY") + ")",
            ""};
}

}  // namespace

bool displayNamed()
{
    return !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty() ||
           !environment("QT_QPA_PLATFORM").empty();
}

std::string unreachableDisplayReason()
{
    const Outcome outcome = check(loadXcb());
    if (!outcome.pinnedPlatform.empty())
        setenv("QT_QPA_PLATFORM", outcome.pinnedPlatform.c_str(), 1);
    return outcome.unreachableReason;
}
