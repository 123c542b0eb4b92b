#include "window_application.h"

#include "button_icon_style.h"
#include "toolkit_environment.h"
#include "window_capture_dialog.h"

WindowApplication::WindowApplication(int &argc, char **argv) : application(argc, argv) {}

void WindowApplication::setMainWidget(CaptureDialog *dialog)
{
    // This program only ever makes its own dialogs.
    QDialog &window = static_cast<WindowCaptureDialog *>(dialog)->window();
    QObject::connect(&window, &QDialog::finished, &application, &QApplication::quit);
}

int WindowApplication::exec()
{
    return application.exec();
}

std::unique_ptr<WindowApplication> startWindowApplication(int &argc, char **argv)
{
    prepareToolkitEnvironment();
    auto application = std::make_unique<WindowApplication>(argc, argv);
    QApplication::setStyle(new ButtonIconStyle);
    return application;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the application owns its style
}
