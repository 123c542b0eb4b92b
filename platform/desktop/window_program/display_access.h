// Whether the window program can show windows, found out before Qt starts: Qt ends
// the process when it cannot reach the display it was told to use or load the
// platform it was told to load, which happens under sudo or over ssh more
// often than not; and on a platform without a screen (offscreen, minimal) its
// windows would wait for an answer nobody can give.
//
// Plain POSIX and libxcb, no Qt; it follows Qt 6.4's rules (its platform
// list, option names and plugin files: see display_request.h and
// platformPlugin), and changes nothing: its caller applies what it found.
#pragma once

#include <string>

struct DisplayCheck {
    bool named = false;  // the environment or the command line names a display
    std::string unusableReason;  // why no window can be shown there; empty when one can
    std::string platform;  // when one can: the QT_QPA_PLATFORM entry checked, to pin Qt to
};

// Looks at what Qt itself would look at: DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM (empty counts as unset, as in Qt), and the toolkit's
// -platform and -display options on the command line, which win over them.
// Connects to the display that Qt would use and lets go of it again.
DisplayCheck checkDisplay(int argc, char **argv);
