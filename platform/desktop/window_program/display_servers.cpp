#include "display_servers.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstring>

bool socketAnswers(const std::string &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;  // an abstract name starts with a NUL byte
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0)
        return false;
    const socklen_t length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool answers = connect(socketFd, reinterpret_cast<sockaddr *>(&address), length) == 0;
    close(socketFd);
    return answers;
}

namespace {

// The part of libxcb the check needs. Loaded, not linked: a run at the
// terminal never needs it, and Qt's xcb platform cannot work without it.
struct Xcb {
    decltype(&xcb_connect) connect = nullptr;
    decltype(&xcb_connection_has_error) hasError = nullptr;
    decltype(&xcb_disconnect) disconnect = nullptr;
    decltype(&xcb_get_setup) setup = nullptr;
    decltype(&xcb_setup_roots_iterator) screens = nullptr;
    decltype(&xcb_screen_next) nextScreen = nullptr;
};

Xcb loadXcb()
{
    Xcb xcb;
    void *library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return xcb;
    xcb.connect = reinterpret_cast<decltype(&xcb_connect)>(dlsym(library, "xcb_connect"));
    xcb.hasError = reinterpret_cast<decltype(&xcb_connection_has_error)>(
        dlsym(library, "xcb_connection_has_error"));
    xcb.disconnect = reinterpret_cast<decltype(&xcb_disconnect)>(dlsym(library, "xcb_disconnect"));
    xcb.setup = reinterpret_cast<decltype(&xcb_get_setup)>(dlsym(library, "xcb_get_setup"));
    xcb.screens = reinterpret_cast<decltype(&xcb_setup_roots_iterator)>(
        dlsym(library, "xcb_setup_roots_iterator"));
    xcb.nextScreen = reinterpret_cast<decltype(&xcb_screen_next)>(dlsym(library, "xcb_screen_next"));
    if (!xcb.connect || !xcb.hasError || !xcb.disconnect || !xcb.setup || !xcb.screens || !xcb.nextScreen)
        xcb.connect = nullptr;
    return xcb;
}

// Whether `display` (":0", ":1.0", "unix:0") is on this machine, and then
// whether an X server listens there. Displays on other hosts are not told.
enum class LocalX11 { elsewhere, nobodyListens, listens };

LocalX11 localX11Server(const std::string &display)
{
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos || (colon != 0 && display.compare(0, colon, "unix") != 0))
        return LocalX11::elsewhere;
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    const std::string path = "/tmp/.X11-unix/X" + number;
    return socketAnswers(path, true) || socketAnswers(path, false) ? LocalX11::listens
                                                                   : LocalX11::nobodyListens;
}

// Qt's xcb platform crashes on a screen the server does not have, and on one
// with fewer colours than its images need.
std::string unusableScreen(const Xcb &xcb, xcb_connection_t *connection, const std::string &display,
                           int screenNumber)
{
    xcb_screen_iterator_t screens = xcb.screens(xcb.setup(connection));
    for (int skipped = 0; skipped < screenNumber && screens.rem > 0; ++skipped)
        xcb.nextScreen(&screens);
    if (screenNumber < 0 || screens.rem <= 0)
        return "the X server of display " + display + " has no screen " + std::to_string(screenNumber);
    const int depth = screens.data->root_depth;
    if (depth < 16)
        return "screen " + std::to_string(screenNumber) + " of display " + display + " has " +
               std::to_string(depth) + "-bit colour; windows need 16 bits or more";
    return "";
}

}  // namespace

std::string x11Problem(const std::string &display)
{
    const Xcb xcb = loadXcb();
    if (!xcb.connect)
        return "libxcb (Debian package libxcb1) cannot be loaded";
    int screenNumber = 0;
    xcb_connection_t *connection = xcb.connect(display.c_str(), &screenNumber);
    const int error = xcb.hasError(connection);
    std::string screenProblem = error == 0 ? unusableScreen(xcb, connection, display, screenNumber) : "";
    xcb.disconnect(connection);
    if (error == 0)
        return screenProblem;
    if (error == XCB_CONN_CLOSED_INVALID_SCREEN)
        return "the X server of display " + display + " has no screen " + std::to_string(screenNumber);
    switch (localX11Server(display)) {
    case LocalX11::listens:
        return "the X server of display " + display +
               " does not let this user in: it needs your X authority, as with "
               "sudo --preserve-env=DISPLAY,XAUTHORITY (XAUTHORITY=~/.Xauthority when yours is empty)";
    case LocalX11::nobodyListens:
        return "no X server runs at display " + display;
    case LocalX11::elsewhere:
        break;
    }
    return "cannot open the X display " + display;
}
