// Loads the window interface, which lives in a module of its own so that a
// run at the terminal never loads Qt's libraries.
#pragma once

#include "platform.h"

#include <string>

// The window platform from kestrune-window.so, looked for beside the
// executable (the build tree) and then in lib/kestrune/ next to its bin/
// (an installed copy). Returns null with the reason in `failure` when the
// module cannot be loaded.
Platform *loadWindowPlatform(std::string &failure);
