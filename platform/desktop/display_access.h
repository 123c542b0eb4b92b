// Whether the stand-in can show windows, found out before Qt starts: Qt's
// GUI ends the process when it cannot reach the display it was told to use,
// which happens under sudo or over ssh more often than not.
#pragma once

#include <QString>

// True when the environment names a display: DISPLAY or WAYLAND_DISPLAY is
// not empty, or QT_QPA_PLATFORM is set (as the tests do to pick the
// offscreen platform).
bool displayNamed();

// Connects to the named display and lets go of it again. Returns why the
// window cannot be shown, or an empty string when it can. Pins Qt to the
// platform it checked (QT_QPA_PLATFORM), so that Qt does not try another.
QString displayUnreachableReason();
