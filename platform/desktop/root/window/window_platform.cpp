#include "window_platform.h"

#include "escaped_text.h"
#include "service_name_store.h"
#include "program_lookup.h"

#include <unistd.h>

#include <memory>

namespace {

class CaptureDialogProxy : public CaptureDialog {
public:
    CaptureDialogProxy(WindowPlatform &platform, const char *caption, const char *prompt, std::string entry)
        : platform(platform), caption(caption), prompt(prompt), entry(std::move(entry)) {}

    void selectAll() override { selected = true; }

    void show() override
    {
        shown = platform.show({WindowMessageKind::captureRequest, {caption, prompt, entry, selected ? "1" : "0"}});
    }

    // What the event loop does while this dialog is the main widget.
    void waitForAnswer()
    {
        std::string failure;
        if (shown && !platform.answer(answered, failure)) {
            printDiagnostic("the window went away while asking for the operator name (" + failure +
                            "); nothing was changed");
            answered = WindowAnswer();
        }
    }

    int result() const override { return answered.code; }

    size_t resultText(char *buffer, size_t size) const override
    {
        // A text too long for the message comes without its bytes, and fits
        // no buffer of the flow's.
        if (answered.text.size() != answered.length)
            return answered.length;
        return copyIfItFits(answered.text.c_str(), buffer, size);
    }

private:
    WindowPlatform &platform;
    std::string caption;
    std::string prompt;
    std::string entry;
    bool selected = false;
    bool shown = false;
    WindowAnswer answered;
};

// The main widget's event loop: it waits for the capture dialog's answer.
class ApplicationProxy : public Application {
public:
    void setMainWidget(CaptureDialog *dialog) override
    {
        // This platform only ever makes its own dialogs.
        mainWidget = static_cast<CaptureDialogProxy *>(dialog);
    }

    int exec() override
    {
        if (mainWidget)
            mainWidget->waitForAnswer();
        return 0;
    }

private:
    CaptureDialogProxy *mainWidget = nullptr;
};

class MessageDialogProxy : public MessageDialog {
public:
    MessageDialogProxy(WindowPlatform &platform, const char *caption, const char *text, MessageDialogType type)
        : platform(platform), caption(caption), text(text), type(type) {}

    int exec() override
    {
        if (!platform.show({WindowMessageKind::messageRequest, {std::to_string(static_cast<int>(type)), caption, text}}))
            return WindowPlatform::notShown;
        WindowAnswer answered;
        std::string failure;
        if (platform.answer(answered, failure))
            return answered.code;
        if (type == questionDialog)
            printDiagnostic("the window went away at the question (" + failure + "); taken as no");
        return 0;
    }

private:
    WindowPlatform &platform;
    std::string caption;
    std::string text;
    MessageDialogType type;
};

}  // namespace

std::unique_ptr<WindowPlatform> WindowPlatform::start(char **argv, std::string &failure, int showMs)
{
    WindowUser user;
    if (!findWindowUser(getuid(), user, failure))
        return nullptr;
    const int program = openWindowProgram(failure);
    if (program < 0)
        return nullptr;
    std::unique_ptr<WindowPlatform> platform(new WindowPlatform(showMs));
    const bool started = platform->window.start(program, user, argv, failure);
    close(program);
    WindowMessage message;
    if (!started || !platform->window.receive(message, showMs, failure))
        return nullptr;
    if (message.kind == WindowMessageKind::ready)
        return platform;
    failure = message.kind == WindowMessageKind::unusable && message.fields.size() == 1
                  ? message.fields[0]
                  : "the window program said something unexpected";
    return nullptr;
}

Application *WindowPlatform::createApplication(int &, char **)
{
    return new ApplicationProxy;
}

MessageDialog *WindowPlatform::createMessageDialog(const char *caption, const char *text,
                                                   MessageDialogType type)
{
    return new MessageDialogProxy(*this, caption, text, type);
}

// The type means something only to the phone's framework.
CaptureDialog *WindowPlatform::createCaptureDialog(const char *caption, const char *prompt, int)
{
    return new CaptureDialogProxy(*this, caption, prompt, storedServiceName().value_or(std::string()));
}

bool WindowPlatform::show(const WindowMessage &request)
{
    if (failed)
        return false;
    WindowMessage message;
    std::string failure;
    if (!window.send(request)) {
        failure = "the window program cannot be reached";
    } else if (window.receive(message, showMs, failure)) {
        if (message.kind == WindowMessageKind::shown)
            return true;
        failure = "the window program said something unexpected";
    }
    fail(failure);
    return false;
}

bool WindowPlatform::answer(WindowAnswer &answer, std::string &failure)
{
    WindowMessage message;
    if (window.receive(message, -1, failure) && readWindowAnswer(message, answer, failure))
        return true;
    fail("");
    return false;
}

void WindowPlatform::fail(const std::string &reason)
{
    if (!reason.empty())
        printDiagnostic(reason + "; using the terminal");
    window.stop();
    failed = true;
}
