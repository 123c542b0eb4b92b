// Whether the stand-in can show windows, found out before Qt starts: Qt's
// GUI ends the process when it cannot reach the display it was told to use,
// which happens under sudo or over ssh more often than not.
//
// Plain POSIX and libxcb, no Qt: this runs on every start, the terminal's
// included.
#pragma once

#include <string>

// True when the environment names a display: DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM (which the tests set to pick the offscreen platform) is not
// empty. Qt itself ignores an empty QT_QPA_PLATFORM.
bool displayNamed();

// Connects to the named display and lets go of it again. Returns why no
// window can be shown there, or an empty string when it can; then pins Qt
// to the platform it checked (QT_QPA_PLATFORM), so that Qt tries no other.
std::string unreachableDisplayReason();
