// What the window program writes to its standard error, passed on to the
// tool's a line at a time, escaped: it comes from a process of another
// user's, and must not move the terminal's cursor or retitle its window.
#pragma once

#include <string>

class ErrorRelay {
public:
    ErrorRelay() = default;
    ErrorRelay(const ErrorRelay &) = delete;
    ErrorRelay &operator=(const ErrorRelay &) = delete;
    ~ErrorRelay();

    // Reads from `pipe` (made non-blocking here) from now on.
    void follow(int pipe);
    int descriptor() const { return pipe; }

    // Passes on the complete lines read so far, reading at most 64 KiB;
    // with `all`, also the rest, and then lets go of the pipe: the program
    // has gone, though a process it left behind may still hold its end and
    // write on. Never blocks.
    void passOn(bool all);

private:
    int pipe = -1;
    std::string pending;  // the start of a line not passed on yet
};
