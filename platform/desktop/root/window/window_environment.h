// What the window program finds in its environment: only what a window
// needs of the caller's, and the rest from the password database and the
// user's own session.
#pragma once

#include "window_user.h"

#include <string>
#include <vector>

// The environment the window program gets: only what a window needs from
// the caller's (display, locale, input method, scaling, and for a user's
// window their TMPDIR), the user's home from the password database, and the
// user's runtime folder and session bus where they exist and belong to that
// user. No configuration, cache, plugin or temporary folder that the caller
// named is passed on to a window that runs as root (root's own session), so
// it reads and makes nothing in another user's.
std::vector<std::string> windowEnvironment(const WindowUser &user);
