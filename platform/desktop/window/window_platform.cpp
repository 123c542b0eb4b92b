#include "window_platform.h"

#include "button_icon_style.h"
#include "service_name_store.h"
#include "toolkit_environment.h"
#include "window_application.h"
#include "window_capture_dialog.h"
#include "window_message_dialog.h"

Application *WindowPlatform::createApplication(int &argc, char **argv)
{
    prepareToolkitEnvironment();
    Application *application = new WindowApplication(argc, argv);
    QApplication::setStyle(new ButtonIconStyle);
    return application;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the application owns its style
}

MessageDialog *WindowPlatform::createMessageDialog(const char *caption, const char *text,
                                                   MessageDialogType type)
{
    return new WindowMessageDialog(QString::fromUtf8(caption), QString::fromUtf8(text), type);
}

// Every type shows the same plain entry: the types' looks belong to the phone.
CaptureDialog *WindowPlatform::createCaptureDialog(const char *caption, const char *prompt, int)
{
    return new WindowCaptureDialog(QString::fromUtf8(caption), QString::fromUtf8(prompt),
                                   QString::fromStdString(storedServiceName().value_or(std::string())));
}
