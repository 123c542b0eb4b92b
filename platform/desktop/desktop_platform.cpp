#include "desktop_platform.h"

#include "service_name_store.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

DesktopPlatform::DesktopPlatform()
{
    // On a PC the tool's output is often piped into something that may stop
    // reading early (`kestrune | head`). The console lines are only for
    // information: a vanished reader must neither kill the run before the
    // name is stored nor change its exit status, so writes just fail.
    std::signal(SIGPIPE, SIG_IGN);  // NOLINT(cert-err33-c): cannot fail for SIGPIPE
}

int DesktopPlatform::realUserId()
{
    return static_cast<int>(getuid());
}

void DesktopPlatform::setServiceName(const char *name)
{
    // The framework reports nothing back, so neither does this: the reason
    // goes to the person at the terminal.
    const std::string failure = storeServiceName(name);
    if (!failure.empty())
        // NOLINTNEXTLINE(cert-err33-c): nowhere to report a failed write to standard error
        std::fprintf(stderr, "kestrune: cannot store the service name in %s: %s\n",
                     serviceNamePath().c_str(), failure.c_str());
}

int DesktopPlatform::runShellCommand(const char *command)
{
    // An ignored signal survives exec: the refresh command's shell gets the
    // default back, as it has on the phone.
    std::signal(SIGPIPE, SIG_DFL);  // NOLINT(cert-err33-c): cannot fail for SIGPIPE
    const int status = std::system(command);  // NOLINT(cert-env33-c): the refresh is a shell command
    std::signal(SIGPIPE, SIG_IGN);  // NOLINT(cert-err33-c): cannot fail for SIGPIPE
    return status;
}
