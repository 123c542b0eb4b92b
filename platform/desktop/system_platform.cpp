// The one place where the desktop stand-in picks its user interface.
#include "terminal_platform.h"

Platform &systemPlatform()
{
    static TerminalPlatform terminal;
    return terminal;
}
