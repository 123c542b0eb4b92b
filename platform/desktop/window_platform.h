// The stand-in's user interface in windows, shown by the window program in a
// process of its own (see window_process.h): this side, in the root process,
// keeps the store, the refresh and every decision, and never loads the
// toolkit. Until a window is on the screen, the program is given a bounded
// time; one that fails to show its window leaves the rest of the run to the
// terminal, with the reason on standard error.
#pragma once

#include "desktop_platform.h"
#include "terminal_platform.h"
#include "window_process.h"

#include <string>

class WindowPlatform : public DesktopPlatform {
public:
    // Starts the window program and waits until its toolkit runs on the
    // display. Returns null with the reason when no window can be shown.
    static WindowPlatform *start(char **argv, std::string &failure);

    Application *createApplication(int &argc, char **argv) override;
    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type) override;
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                       int type) override;

    // Whether the dialogs are shown at the terminal, since the window
    // program failed.
    bool atTerminal() const { return failed; }
    TerminalPlatform &terminal() { return terminalPlatform; }

    // Has the window program show `request`. Returns false, with the
    // reason told and the program ended, when it did not in time.
    bool show(const WindowMessage &request);

    // The answer to the dialog shown. Returns false with the reason in
    // `failure` when the program went away first.
    bool answer(int &code, std::string &text, size_t &length, std::string &failure);

private:
    void fail(const std::string &reason);

    WindowProcess window;
    TerminalPlatform terminalPlatform;
    bool failed = false;
};
