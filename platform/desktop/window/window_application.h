// The application object of the window interface: Qt's, with its event loop.
#pragma once

#include "platform.h"

#include <QApplication>

class WindowApplication : public Application {
public:
    WindowApplication(int &argc, char **argv);

    // The event loop ends when this dialog closes, however it was closed.
    void setMainWidget(CaptureDialog *dialog) override;

    int exec() override;

private:
    QApplication application;
};
