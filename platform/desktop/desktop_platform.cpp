#include "desktop_platform.h"

#include "service_name_store.h"

#include <cstdio>
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
    const QString failure = storeServiceName(QByteArray(name));
    if (!failure.isEmpty())
        std::fprintf(stderr, "kestrune: cannot store the service name in %s: %s\n",
                     qPrintable(serviceNamePath()), qPrintable(failure));
}

int DesktopPlatform::runShellCommand(const char *command)
{
    return std::system(command);
}
