#include "display_access.h"

#include "display_request.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

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

// The same handshake Qt's xcb platform makes, with the same display and
// XAUTHORITY. Returns why it failed, or an empty string.
std::string x11Problem(const Xcb &xcb, const std::string &display)
{
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

// The file of Qt's platform plugin of this name.
std::string platformPlugin(const std::string &platform)
{
    const std::string file = platform == "wayland" ? "wayland-generic" : platform;
    return KESTRUNE_QT_PLUGINS_DIR "/platforms/libq" + file + ".so";
}

bool installed(const std::string &file)
{
    struct stat status;
    return stat(file.c_str(), &status) == 0;
}

// A Wayland compositor's socket that accepts a connection, and Qt's Wayland
// platform to speak to it. Returns why not, or an empty string.
std::string waylandProblem(const std::string &platform, const std::string &display)
{
    if (display.empty())
        return "WAYLAND_DISPLAY is not set";
    const std::string runtime = environmentVariable("XDG_RUNTIME_DIR");
    if (display[0] != '/' && runtime.empty())
        return "WAYLAND_DISPLAY=" + display + " but XDG_RUNTIME_DIR is not set";
    const std::string path = display[0] == '/' ? display : runtime + '/' + display;
    if (!socketAnswers(path, false))
        return "no Wayland compositor answers at " + path;
    if (!installed(platformPlugin(platform)))
        return "Qt's Wayland platform is not installed (Debian package qt6-wayland)";
    return "";
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

std::string joined(const std::vector<std::string> &problems)
{
    std::string all;
    for (const std::string &problem : problems)
        all += (all.empty() ? "" : "; ") + problem;
    return all;
}

// Qt starts the first platform of the list that it has and can start, and
// gives up on the process when there is none.
std::string checkChosen(const Request &request, std::string &chosen)
{
    const Xcb xcb = loadXcb();
    std::vector<std::string> problems;
    for (size_t start = 0; start <= request.platforms.size();) {
        size_t end = request.platforms.find(';', start);
        if (end == std::string::npos)
            end = request.platforms.size();
        const std::string entry = request.platforms.substr(start, end - start);
        const std::string platform = platformName(entry);
        start = end + 1;
        std::string problem;
        if (platform == "xcb") {
            problem = request.x11Display.empty() ? "DISPLAY is not set"
                                                 : x11Problem(xcb, request.x11Display);
        } else if (platform.compare(0, 7, "wayland") == 0) {
            problem = waylandProblem(platform, request.waylandDisplay);
        } else if (installed(platformPlugin(platform))) {
            // Qt would start it, and wait for answers in windows nobody sees.
            return request.origin + platform +
                   " shows no window on a screen; windows are shown on X11 or Wayland only";
        } else {
            problem = "Qt has no platform \"" + platform + "\"";
        }
        if (problem.empty()) {
            chosen = entry;
            return "";
        }
        problems.push_back(request.origin + platform + ": " + problem);
    }
    return joined(problems);
}

// Left to choose: a Wayland compositor where one answers, else X11.
std::string checkDefault(const Request &request, std::string &chosen)
{
    std::vector<std::string> problems;
    // A -display option asks for X11.
    if (!request.waylandDisplay.empty() && !request.x11DisplayFromCommandLine) {
        const std::string problem = waylandProblem("wayland", request.waylandDisplay);
        if (problem.empty()) {
            chosen = "wayland";
            return "";
        }
        problems.push_back(problem);
    }
    if (!request.x11Display.empty()) {
        const std::string problem = x11Problem(loadXcb(), request.x11Display);
        if (problem.empty()) {
            chosen = "xcb";
            return "";
        }
        problems.push_back(problem);
    }
    return joined(problems);
}

}  // namespace

DisplayCheck checkDisplay(int argc, char **argv)
{
    const Request request = readRequest(argc, argv);
    DisplayCheck check;
    check.named = displayNamed(argc, argv);
    if (!check.named)
        return check;
    // Qt would load its platform from there, whoever may write there.
    if (!request.pluginFolder.empty())
        check.unusableReason = "-platformpluginpath would have Qt load code from " +
                               request.pluginFolder;
    else
        check.unusableReason = request.platforms.empty() ? checkDefault(request, check.platform)
                                                           : checkChosen(request, check.platform);
    return check;
}
