// The one place where the desktop stand-in picks its user interface: windows
// when a display is named and can show them, the terminal otherwise. Decided
// once, before any toolkit starts.
#include "display_access.h"
#include "terminal_platform.h"
#include "window_module_loader.h"

#include <cstdio>

namespace {

Platform *chosenPlatform(int argc, char **argv)
{
    static TerminalPlatform terminal;
    const DisplayCheck display = checkDisplay(argc, argv);
    if (!display.named)
        return &terminal;

    std::string failure = display.unusableReason;
    Platform *window = failure.empty() ? loadWindowPlatform(failure) : nullptr;
    if (!window) {
        // NOLINTNEXTLINE(cert-err33-c): nowhere to report a failed write to standard error
        std::fprintf(stderr, "kestrune: %s; using the terminal\n", failure.c_str());
        return &terminal;
    }
    return window;
}

}  // namespace

Platform &systemPlatform(int argc, char **argv)
{
    static Platform *const platform = chosenPlatform(argc, argv);
    return *platform;
}
