// What Qt is told before it starts: no more than a window run needs, and
// nothing started on our behalf that outlives the run.
#pragma once

#include <QApplication>

#include <memory>

// Qt as the window program starts it: told no more than a window run needs
// (see prepareToolkitEnvironment), with the window's own style.
std::unique_ptr<QApplication> startToolkit(int &argc, char **argv);

// Call before the QApplication is made, while the process has one thread:
// it changes the environment.
void prepareToolkitEnvironment();

// Whether libdbus finds a session bus by itself: one named by
// DBUS_SESSION_BUS_ADDRESS, or the socket $XDG_RUNTIME_DIR/bus when that is
// a socket of ours (a link there does not count).
bool sessionBusReachable();
