// The stand-in's user interface for a terminal, or for answers piped in:
// dialogs are prompts on standard error, answers are lines on standard input.
#pragma once

#include "desktop_platform.h"

class TerminalPlatform : public DesktopPlatform {
public:
    Application *createApplication(int &argc, char **argv) override;
    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type) override;
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                       int type) override;
};
