#include "window_application.h"

#include "window_capture_dialog.h"

WindowApplication::WindowApplication(int &argc, char **argv) : application(argc, argv) {}

void WindowApplication::setMainWidget(CaptureDialog *dialog)
{
    // This platform only ever makes its own dialogs.
    QDialog &window = static_cast<WindowCaptureDialog *>(dialog)->window();
    QObject::connect(&window, &QDialog::finished, &application, &QApplication::quit);
}

int WindowApplication::exec()
{
    return application.exec();
}
