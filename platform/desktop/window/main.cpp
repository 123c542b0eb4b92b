// The window program: shows the dialogs the tool asks for, one at a time, and
// says what the person answered. It runs with the rights of the user who
// asked for root and decides nothing: the tool keeps the store, the refresh
// and every check of what comes back.
#include "display_access.h"
#include "window_application.h"
#include "window_capture_dialog.h"
#include "window_message_dialog.h"
#include "window_protocol.h"
#include "x_authority.h"

#include <QEvent>
#include <QWindow>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int channel = windowChannelDescriptor;

// Tells the tool once a requested dialog is on the screen: until then, the
// tool gives the toolkit a bounded time.
class ShownNotice : public QObject {
public:
    void expect() { expected = true; }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (expected && event->type() == QEvent::Expose) {
            auto *window = qobject_cast<QWindow *>(object);
            if (window && window->isExposed()) {
                expected = false;
                sendWindowMessage(channel, {WindowMessageKind::shown, {}});
            }
        }
        return false;
    }

private:
    bool expected = false;
};

bool answer(int code, const QByteArray &text)
{
    const auto length = static_cast<size_t>(text.size());
    return sendWindowMessage(channel, {WindowMessageKind::answer,
                                       {std::to_string(code), std::to_string(length),
                                        length <= windowTextLimit ? text.toStdString() : std::string()}});
}

bool showCapture(WindowApplication &application, const std::vector<std::string> &fields)
{
    WindowCaptureDialog dialog(QString::fromStdString(fields[0]), QString::fromStdString(fields[1]),
                               QString::fromStdString(fields[2]));
    if (fields[3] == "1")
        dialog.selectAll();
    application.setMainWidget(&dialog);
    dialog.show();
    application.exec();
    return answer(dialog.result(), dialog.text());
}

bool showMessage(const std::vector<std::string> &fields)
{
    const MessageDialogType type = fields[0] == "1" ? questionDialog : noticeDialog;
    WindowMessageDialog dialog(QString::fromStdString(fields[1]), QString::fromStdString(fields[2]), type);
    return answer(dialog.exec(), QByteArray());
}

}  // namespace

int main(int argc, char **argv)
{
    std::string unusable = useBoundedXAuthority();
    DisplayCheck display;
    if (unusable.empty()) {
        display = checkDisplay(argc, argv);
        unusable = display.unusableReason;
    }
    if (!unusable.empty())
        return sendWindowMessage(channel, {WindowMessageKind::unusable, {unusable}}) ? 0 : 1;
    // Pinned to the platform checked, so that Qt tries no other.
    setenv("QT_QPA_PLATFORM", display.platform.c_str(), 1);

    const std::unique_ptr<WindowApplication> application = startWindowApplication(argc, argv);
    ShownNotice shown;
    application->installEventFilter(&shown);
    if (!sendWindowMessage(channel, {WindowMessageKind::ready, {}}))
        return 1;

    // Ends when the tool closes its end. A request of another form means
    // that tool and program do not belong together.
    for (WindowMessage request; receiveWindowMessage(channel, request) == WindowReceipt::message;) {
        shown.expect();
        const bool capture = request.kind == WindowMessageKind::captureRequest && request.fields.size() == 4;
        const bool message = request.kind == WindowMessageKind::messageRequest && request.fields.size() == 3;
        if (!(capture ? showCapture(*application, request.fields) : message && showMessage(request.fields)))
            return 1;
    }
    // The tool has closed its end and waits for this process to end: Qt's
    // orderly teardown would only keep it waiting.
    std::fflush(stderr);  // NOLINT(cert-err33-c): nowhere else to report to
    _exit(0);
}
