// What every desktop stand-in shares, whatever its user interface: the real
// user id, the service name kept in a file, and the shell.
#pragma once

#include "platform.h"

class DesktopPlatform : public Platform {
public:
    int realUserId() override;
    void setServiceName(const char *name) override;
    int runShellCommand(const char *command) override;
};
