// The application object of the window program: Qt's, with its event loop.
#pragma once

#include "platform.h"

#include <QApplication>

#include <memory>

class WindowApplication : public Application {
public:
    WindowApplication(int &argc, char **argv);

    // The event loop ends when this dialog closes, however it was closed.
    void setMainWidget(CaptureDialog *dialog) override;

    int exec() override;

    void installEventFilter(QObject *filter) { application.installEventFilter(filter); }

private:
    QApplication application;
};

// Qt as the window program starts it: told no more than a window run needs
// (see toolkit_environment.h), with the window's own style.
std::unique_ptr<WindowApplication> startWindowApplication(int &argc, char **argv);
