// The one place where the desktop stand-in picks its user interface: windows
// when a display is named and reachable, the terminal otherwise. Decided once,
// before any toolkit starts.
#include "display_access.h"
#include "terminal_platform.h"
#include "window_module_loader.h"

#include <cstdio>

namespace {

Platform *chosenPlatform()
{
    static TerminalPlatform terminal;
    if (!displayNamed())
        return &terminal;

    // The check waits on the display server, the loading on the disk and the
    // dynamic loader: side by side, the check adds nothing to the time the
    // window takes to appear. When the display cannot be reached, the module
    // was loaded for nothing, which costs only time.
    DisplayCheck displayCheck;
    std::string loadFailure;
    Platform *window = loadWindowPlatform(loadFailure);
    std::string failure = displayCheck.unreachableReason();
    if (failure.empty() && !window)
        failure = loadFailure;
    if (!failure.empty()) {
        std::fprintf(stderr, "kestrune: %s; using the terminal\n", failure.c_str());
        return &terminal;
    }
    return window;
}

}  // namespace

Platform &systemPlatform()
{
    static Platform *const platform = chosenPlatform();
    return *platform;
}
