// The child's side of starting the window program, between fork and exec:
// it gives up root for good, keeps none of the tool's descriptors, terminal
// or signal dispositions, and runs the program. Whatever fails is told to
// the tool over the channel, as the reason no window can be shown.
#pragma once

#include "window_user.h"

// What the child starts from. `toolsEnds` are the tool's ends of the channel
// and of the error pipe, which the child closes.
struct WindowChild {
    int program;  // the window program, open and checked (see program_lookup.h)
    int channel;  // the program's end of the socketpair
    int errors;   // the write end of the pipe that carries its standard error
    int toolsEnds[2];
    const WindowUser *user;
    char **argv;
    char **environment;
};

[[noreturn]] void runWindowChild(const WindowChild &child);
