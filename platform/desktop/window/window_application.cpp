#include "window_application.h"

#include "window_capture_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Whether the capture dialog's event loop is running.
bool capturing = false;

// Qt ends the process with exit(1) when its display connection breaks, and 1
// would tell the caller that the name was applied. While the name is being
// asked for, nothing has been changed yet: end as a capture closed without an
// answer does, with 0, as the terminal does when its input ends.
void whenExitingWhileCapturing()
{
    if (!capturing)
        return;
    // NOLINTNEXTLINE(cert-err33-c): nowhere else to report to, and we are ending anyway
    std::fputs("kestrune: the display went away while asking for the operator name; "
               "nothing was changed\n",
               stderr);
    _exit(0);
}

}  // namespace

WindowApplication::WindowApplication(int &argc, char **argv) : application(argc, argv)
{
    static const bool watchingExit = std::atexit(whenExitingWhileCapturing) == 0;
    (void)watchingExit;
}

void WindowApplication::setMainWidget(CaptureDialog *dialog)
{
    // This platform only ever makes its own dialogs.
    QDialog &window = static_cast<WindowCaptureDialog *>(dialog)->window();
    QObject::connect(&window, &QDialog::finished, &application, &QApplication::quit);
}

int WindowApplication::exec()
{
    capturing = true;
    const int status = application.exec();
    capturing = false;
    return status;
}
