#include "desktop_platform.h"

#include "escaped_text.h"
#include "service_name_store.h"

#include <cstdlib>
#include <unistd.h>

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
        printDiagnostic(failure);
}

int DesktopPlatform::runShellCommand(const char *command)
{
    return std::system(command);  // NOLINT(cert-env33-c): the refresh is a shell command, as on the phone
}
