// The window program as a process of its own, with the rights of the user
// who asked for root: the root process never loads the toolkit. It is asked
// for one dialog at a time over a socketpair and answers there; what it
// writes to its standard error is passed on, escaped, to the tool's. Its end
// is watched on the process itself, not only on the channel: a process it
// leaves behind may hold the channel open for as long as it likes.
#pragma once

#include "error_relay.h"
#include "window_environment.h"
#include "window_protocol.h"

#include <sys/types.h>

#include <string>

class WindowProcess {
public:
    WindowProcess() = default;
    WindowProcess(const WindowProcess &) = delete;
    WindowProcess &operator=(const WindowProcess &) = delete;
    // Ends the program, if it still runs.
    ~WindowProcess();

    // Runs `program` (open, see openWindowProgram) as `user` with the
    // tool's command line, which holds the toolkit's options. Returns false
    // with the reason in `failure`.
    bool start(int program, const WindowUser &user, char **argv, std::string &failure);

    bool send(const WindowMessage &message);

    // The next message, waited for up to `timeoutMs` milliseconds (-1: for
    // as long as it takes). A message sent before the program ended is still
    // read. Returns false with the reason in `failure` when none came: the
    // program ended, said something malformed, or took too long.
    bool receive(WindowMessage &message, int timeoutMs, std::string &failure);

    // Closes the channel, which ends the program, and waits for it a moment
    // before it is killed.
    void stop();

private:
    bool hasEnded();
    bool reap(int waitMs);
    bool endedFailure(std::string &failure);
    std::string howItEnded() const;

    pid_t pid = -1;
    bool reaped = false;
    bool statusKnown = false;
    int endStatus = 0;  // once reaped
    int ending = -1;  // a pidfd of the program, readable once it has ended
    int channel = -1;
    ErrorRelay errors;
    std::string runtimeFolder;  // made for a window of root's, removed with it
};
