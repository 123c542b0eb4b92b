// The stand-in's user interface for a desktop: Qt 6 Widgets dialogs.
#pragma once

#include "desktop_platform.h"

class WindowPlatform : public DesktopPlatform {
public:
    Application *createApplication(int &argc, char **argv) override;
    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type) override;
    // Shows the name stored now in the entry, as the phone shows its current one.
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                       int type) override;
};
