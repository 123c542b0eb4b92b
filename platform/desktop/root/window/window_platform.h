// The stand-in's dialogs in windows, shown by the window program in a
// process of its own (see window_process.h): this side, in the root process,
// keeps the store, the refresh and every decision, and never loads the
// toolkit. Until a window is on the screen, the program is given a bounded
// time; one that fails to show its window is ended, with the reason on
// standard error, and shows nothing more: its caller asks elsewhere.
#pragma once

#include "desktop_platform.h"
#include "window_answer.h"
#include "window_process.h"

#include <memory>
#include <string>

class WindowPlatform : public DesktopPlatform {
public:
    // What a message dialog's exec() gives when no window could show it.
    static const int notShown = -1;

    // Long enough for a toolkit that is slow to start, short enough for a
    // person who waits for a window that never comes. Once a window shows,
    // the answer may take as long as the person likes.
    static const int showTimeoutMs = 10000;

    // Starts the window program with the tool's command line and waits
    // until its toolkit runs on the display, then gives it `showMs` for each
    // window. Returns null with the reason when no window can be shown.
    static std::unique_ptr<WindowPlatform> start(char **argv, std::string &failure, int showMs = showTimeoutMs);

    Application *createApplication(int &argc, char **argv) override;
    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type) override;
    // The entry shows the stored name, read here as root: the window
    // program gets the name, never the file.
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                       int type) override;

    // Whether the window program has failed to show a dialog, or has gone:
    // it shows nothing more.
    bool unusable() const { return failed; }

    // Has the window program show `request`. Returns false, with the
    // reason told and the program ended, when it did not in time.
    bool show(const WindowMessage &request);

    // The answer to the dialog shown. Returns false with the reason in
    // `failure`, the program ended, when none came or it was malformed.
    bool answer(WindowAnswer &answer, std::string &failure);

private:
    void fail(const std::string &reason);

    explicit WindowPlatform(int showMs) : showMs(showMs) {}

    const int showMs;
    WindowProcess window;
    bool failed = false;
};
