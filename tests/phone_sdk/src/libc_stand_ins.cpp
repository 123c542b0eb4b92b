// Takes the place of the C library's getuid and system: the phone adapter
// calls them by these names, as on the phone, and no test may run the
// refresh command for real. getuid only for the objects linked in with
// --wrap=getuid: a toolkit library checks its data folder's owner with the
// C library's own, and would stop under a replaced one.
#include "simulated_phone.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

const char *disposition(int signal)
{
    struct sigaction action;
    sigaction(signal, nullptr, &action);
    return action.sa_handler == SIG_IGN ? "ignored" : action.sa_handler == SIG_DFL ? "default" : "caught";
}

}  // namespace

extern "C" uid_t __wrap_getuid()
{
    recordCall("getuid() -> " + std::to_string(phoneScript().realUserId));
    return static_cast<uid_t>(phoneScript().realUserId);
}

// With the signal dispositions the command's shell would inherit.
int system(const char *command)
{
    recordCall("system(" + quoted(command) + ") [SIGHUP " + disposition(SIGHUP) + ", SIGPIPE " +
               disposition(SIGPIPE) + ", SIGXFSZ " + disposition(SIGXFSZ) + "]");
    return 0;
}
