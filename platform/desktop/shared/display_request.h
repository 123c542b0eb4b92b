// What the toolkit is asked to show its windows on, read from the
// environment and the command line as Qt 6 reads them, without connecting to
// anything: the tool itself needs only to know whether a display is named;
// the window program checks it (see display_access.h).
#pragma once

#include "environment_variable.h"

#include <string>

// What Qt is asked for, by the environment and by its own options on the
// command line, which win.
struct Request {
    std::string pluginFolder;  // -platformpluginpath's value
    std::string platforms;  // a list such as "wayland;xcb"; empty: Qt chooses
    std::string origin;     // where the list came from: "QT_QPA_PLATFORM=" or "-platform "
    std::string x11Display;
    bool x11DisplayFromCommandLine = false;
    std::string waylandDisplay;
};

// Reads DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM (empty counts as unset,
// as in Qt), and the toolkit's -platform, -display and -platformpluginpath
// options on the command line, which win over them.
Request readRequest(int argc, char **argv);

// Whether the request names any display or platform at all.
bool displayNamed(int argc, char **argv);

