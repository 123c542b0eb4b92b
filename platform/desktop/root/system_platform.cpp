// The one place where the desktop stand-in picks its user interface: windows
// when a display is named and the window program can show them there, the
// terminal otherwise. Decided once, before any toolkit starts.
#include "display_request.h"
#include "escaped_text.h"
#include "terminal_platform.h"
#include "window_platform.h"

namespace {

Platform *chosenPlatform(int argc, char **argv)
{
    static TerminalPlatform terminal;
    if (!displayNamed(argc, argv))
        return &terminal;
    std::string failure;
    Platform *window = WindowPlatform::start(argv, failure);
    if (!window) {
        printDiagnostic(failure + "; using the terminal");
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
