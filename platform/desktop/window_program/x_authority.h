// libxcb reads the file that XAUTHORITY names (else ~/.Xauthority) to its
// end, whatever it is: a FIFO or /dev/zero would keep the window program
// from ever showing a window, and a file that changes between a check and
// the read would make the check worth nothing.
#pragma once

#include <string>

// Gives libxcb a private copy of that file, read once, without blocking and
// at most 64 KiB, and points XAUTHORITY at the copy. Returns why the file
// cannot serve, or an empty string (also when there is no file: then there
// is no cookie to send either).
std::string useBoundedXAuthority();
