#include "window_platform.h"

#include "escaped_text.h"
#include "service_name_store.h"
#include "utf8_repair.h"
#include "window_program.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {

// Long enough for a toolkit that is slow to start, short enough for a person
// who waits for a window that never comes. Once a window shows, the answer
// may take as long as the person likes.
constexpr int showTimeoutMs = 10000;

bool parseCount(const std::string &text, unsigned long long limit, unsigned long long &value)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && value <= limit;
}

// The main widget's event loop: it waits for the capture dialog's answer.
class ApplicationProxy : public Application {
public:
    explicit ApplicationProxy(WindowPlatform &platform) : platform(platform) {}
    void setMainWidget(CaptureDialog *dialog) override { mainWidget = dialog; }
    int exec() override;

private:
    WindowPlatform &platform;
    CaptureDialog *mainWidget = nullptr;
};

class CaptureDialogProxy : public CaptureDialog {
public:
    CaptureDialogProxy(WindowPlatform &platform, const char *caption, const char *prompt, int type)
        : platform(platform), caption(caption), prompt(prompt), type(type) {}

    void selectAll() override { selected = true; }

    void show() override
    {
        // Read here, as root, by the store's own reader: the window program
        // gets the name, never the file.
        const std::string entry = storedServiceName().value_or(std::string());
        if (platform.show({WindowMessageKind::captureRequest, {caption, prompt, entry, selected ? "1" : "0"}}))
            return;
        terminalApplication.reset(platform.terminal().createApplication(argc, nullptr));
        atTerminal.reset(platform.terminal().createCaptureDialog(caption.c_str(), prompt.c_str(), type));
        terminalApplication->setMainWidget(atTerminal.get());
        atTerminal->show();
    }

    // What the event loop does while this dialog is the main widget.
    void waitForAnswer()
    {
        if (atTerminal) {
            terminalApplication->exec();
            return;
        }
        std::string failure;
        if (!platform.answer(code, text, length, failure)) {
            printDiagnostic("the window went away while asking for the operator name (" + failure +
                            "); nothing was changed");
            code = 0;
        }
    }

    int result() const override { return atTerminal ? atTerminal->result() : code; }

    size_t resultText(char *buffer, size_t size) const override
    {
        if (atTerminal)
            return atTerminal->resultText(buffer, size);
        // A text too long for the message comes without its bytes, and fits
        // no buffer of the flow's.
        return text.size() == length ? copyIfItFits(text.c_str(), buffer, size) : length;
    }

private:
    WindowPlatform &platform;
    std::string caption;
    std::string prompt;
    int type;
    bool selected = false;
    int code = 0;
    std::string text;
    size_t length = 0;
    // Where the dialog went when no window could be shown.
    int argc = 0;
    std::unique_ptr<Application> terminalApplication;
    std::unique_ptr<CaptureDialog> atTerminal;
};

int ApplicationProxy::exec()
{
    // This platform only ever makes its own dialogs.
    if (mainWidget)
        static_cast<CaptureDialogProxy *>(mainWidget)->waitForAnswer();
    return 0;
}

class MessageDialogProxy : public MessageDialog {
public:
    MessageDialogProxy(WindowPlatform &platform, const char *caption, const char *text, MessageDialogType type)
        : platform(platform), caption(caption), text(text), type(type) {}

    int exec() override
    {
        const std::string typeNumber = std::to_string(static_cast<int>(type));
        if (!platform.atTerminal() && platform.show({WindowMessageKind::messageRequest, {typeNumber, caption, text}})) {
            int code = 0;
            std::string entered;
            size_t length = 0;
            std::string failure;
            if (platform.answer(code, entered, length, failure))
                return code;
            if (type == questionDialog)
                printDiagnostic("the window went away at the question (" + failure + "); taken as no");
            return 0;
        }
        const std::unique_ptr<MessageDialog> atTerminal(
            platform.terminal().createMessageDialog(caption.c_str(), text.c_str(), type));
        return atTerminal->exec();
    }

private:
    WindowPlatform &platform;
    std::string caption;
    std::string text;
    MessageDialogType type;
};

}  // namespace

WindowPlatform *WindowPlatform::start(char **argv, std::string &failure)
{
    WindowUser user;
    if (!findWindowUser(getuid(), user, failure))
        return nullptr;
    const int program = openWindowProgram(failure);
    if (program < 0)
        return nullptr;
    static WindowPlatform platform;
    const bool started = platform.window.start(program, user, argv, failure);
    close(program);
    WindowMessage message;
    if (!started || !platform.window.receive(message, showTimeoutMs, failure)) {
        platform.window.stop();
        return nullptr;
    }
    if (message.kind == WindowMessageKind::ready)
        return &platform;
    failure = message.kind == WindowMessageKind::unusable && message.fields.size() == 1
                  ? message.fields[0]
                  : "the window program said something unexpected";
    platform.window.stop();
    return nullptr;
}

Application *WindowPlatform::createApplication(int &, char **)
{
    return new ApplicationProxy(*this);
}

MessageDialog *WindowPlatform::createMessageDialog(const char *caption, const char *text,
                                                   MessageDialogType type)
{
    return new MessageDialogProxy(*this, caption, text, type);
}

CaptureDialog *WindowPlatform::createCaptureDialog(const char *caption, const char *prompt, int type)
{
    return new CaptureDialogProxy(*this, caption, prompt, type);
}

bool WindowPlatform::show(const WindowMessage &request)
{
    if (failed)
        return false;
    WindowMessage message;
    std::string failure;
    if (!window.send(request)) {
        failure = "the window program cannot be reached";
    } else if (window.receive(message, showTimeoutMs, failure)) {
        if (message.kind == WindowMessageKind::shown)
            return true;
        failure = "the window program said something unexpected";
    }
    fail(failure);
    return false;
}

bool WindowPlatform::answer(int &code, std::string &text, size_t &length, std::string &failure)
{
    WindowMessage message;
    unsigned long long number = 0;
    unsigned long long textLength = 0;
    if (!window.receive(message, -1, failure)) {
        fail("");
        return false;
    }
    // The text comes whole when it fits the message, else not at all.
    const bool wellFormed = message.kind == WindowMessageKind::answer && message.fields.size() == 3 &&
                            parseCount(message.fields[0], INT_MAX, number) &&
                            parseCount(message.fields[1], SIZE_MAX - 1, textLength) &&
                            message.fields[2].size() == (textLength <= windowTextLimit ? textLength : 0);
    if (!wellFormed) {
        failure = "the window program said something unexpected";
        fail("");
        return false;
    }
    // The toolkit only ever hands over UTF-8: anything else is a program
    // that is not ours, and the run flow must not store or print it.
    if (!isValidUtf8(message.fields[2])) {
        failure = "the window program's answer is not UTF-8";
        fail("");
        return false;
    }
    code = static_cast<int>(number);
    text = message.fields[2];
    length = static_cast<size_t>(textLength);
    return true;
}

void WindowPlatform::fail(const std::string &reason)
{
    if (!reason.empty())
        printDiagnostic(reason + "; using the terminal");
    window.stop();
    failed = true;
}
