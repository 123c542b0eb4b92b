// Finds the window program, kestrune-window, and opens it to be run: beside
// the executable (the build tree), else in lib/kestrune/ next to its bin/
// (an installed copy). Qt reads qt.conf and looks for plugins in the
// folder of the program it runs in, so that folder and the tool's own must
// be writable by nobody but root and the tool's owner (the owner rule of
// trusted_path.h), as OpenSSH's StrictModes asks of the files it trusts; and
// so must every folder above them, unless its sticky bit keeps others from
// renaming what is in it.
#pragma once

#include <string>

// The program, open for fexecve (close-on-exec), or -1 with the reason in
// `failure`.
int openWindowProgram(std::string &failure);
