// Whether a display server answers, asked as the toolkit would ask it:
// plain POSIX and libxcb, loaded only when an X display is checked.
#pragma once

#include <string>

// Whether a Unix socket at `path` (in the abstract namespace with
// `abstract`) accepts a connection.
bool socketAnswers(const std::string &path, bool abstract);

// The same handshake Qt's xcb platform makes, with the same display and
// XAUTHORITY. Returns why it failed, or an empty string.
std::string x11Problem(const std::string &display);
