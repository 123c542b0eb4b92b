// The window program: shows the dialogs the tool asks for, one at a time, and
// says what the person answered. It runs with the rights of the user who
// asked for root and decides nothing: the tool keeps the store, the refresh
// and every check of what comes back.
#include "capture_window.h"
#include "display_access.h"
#include "message_window.h"
#include "toolkit_environment.h"
#include "window_protocol.h"
#include "x_authority.h"

#include <QEvent>
#include <QWindow>

#include <fcntl.h>
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

bool showCapture(const std::vector<std::string> &fields)
{
    const CaptureAnswer entered = askInWindow(QString::fromStdString(fields[0]), QString::fromStdString(fields[1]),
                                              QString::fromStdString(fields[2]), fields[3] == "1");
    return answer(entered.code, entered.text);
}

// Type 1 is the framework's question; any other type is shown as a notice.
bool showMessage(const std::vector<std::string> &fields)
{
    return answer(showInWindow(QString::fromStdString(fields[1]), QString::fromStdString(fields[2]), fields[0] == "1"),
                  QByteArray());
}

}  // namespace

int main(int argc, char **argv)
{
    // Nothing this program starts may hold the tool's channel: the tool
    // watches this process's end, not the channel's alone, but a holder
    // would still see every request.
    fcntl(channel, F_SETFD, FD_CLOEXEC);
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

    const std::unique_ptr<QApplication> application = startToolkit(argc, argv);
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
        if (!(capture ? showCapture(request.fields) : message && showMessage(request.fields)))
            return 1;
    }
    // The tool has closed its end and waits for this process to end: Qt's
    // orderly teardown would only keep it waiting.
    std::fflush(stderr);  // NOLINT(cert-err33-c): nowhere else to report to
    _exit(0);
}
