#include "fake_platform.h"

#include <csignal>
#include <cstring>

namespace {

std::string disposition(int signal)
{
    struct sigaction action;
    sigaction(signal, nullptr, &action);
    return action.sa_handler == SIG_IGN ? "ignored" : action.sa_handler == SIG_DFL ? "default" : "caught";
}

std::string quoted(const char *text)
{
    return text ? '"' + std::string(text) + '"' : "null";
}

class FakeApplication : public Application {
public:
    explicit FakeApplication(FakePlatform &platform) : platform(platform) {}
    ~FakeApplication() override { platform.record("delete application"); }

    void setMainWidget(CaptureDialog *) override { platform.record("application.setMainWidget(captureDialog)"); }
    int exec() override
    {
        platform.record("application.exec()");
        return 0;
    }

private:
    FakePlatform &platform;
};

class FakeCaptureDialog : public CaptureDialog {
public:
    explicit FakeCaptureDialog(FakePlatform &platform) : platform(platform) {}
    ~FakeCaptureDialog() override { platform.record("delete captureDialog"); }

    void selectAll() override { platform.record("captureDialog.selectAll()"); }
    void show() override { platform.record("captureDialog.show()"); }
    int result() const override
    {
        platform.record("captureDialog.result() -> " + std::to_string(platform.script.captureResult));
        return platform.script.captureResult;
    }
    size_t resultText(char *buffer, size_t size) const override
    {
        // The flow must hand over a clean buffer; leftovers from an earlier
        // entry would end up in the name.
        bool zeroed = true;
        for (size_t i = 0; i < size; ++i)
            zeroed = zeroed && buffer[i] == '\0';
        const std::string &text = platform.script.enteredText;
        const size_t length = std::strlen(text.c_str());
        platform.record("captureDialog.resultText(size " + std::to_string(size) +
                        (zeroed ? ", zeroed" : ", NOT zeroed") + ") -> " + std::to_string(length));
        return copyIfItFits(text.c_str(), buffer, size);
    }

private:
    FakePlatform &platform;
};

class FakeMessageDialog : public MessageDialog {
public:
    FakeMessageDialog(FakePlatform &platform, MessageDialogType type) : platform(platform), type(type) {}
    ~FakeMessageDialog() override { platform.record("delete messageDialog"); }

    int exec() override
    {
        const int answer = type == questionDialog ? platform.script.confirmationResult : 0;
        platform.record("messageDialog.exec() -> " + std::to_string(answer));
        return answer;
    }

private:
    FakePlatform &platform;
    MessageDialogType type;
};

}  // namespace

std::string signalDispositions()
{
    return "[SIGHUP " + disposition(SIGHUP) + ", SIGPIPE " + disposition(SIGPIPE) + ", SIGXFSZ " +
           disposition(SIGXFSZ) + "]";
}

FakePlatform::FakePlatform(const FakeScript &script, ConsoleCapture &console)
    : script(script), console(console)
{
    console.takeWritten();
}

void FakePlatform::record(const std::string &event)
{
    const std::string written = console.takeWritten();
    if (!written.empty())
        trace.push_back("stdout: " + written);
    trace.push_back(event);
}

const std::vector<std::string> &FakePlatform::finishedTrace()
{
    const std::string written = console.takeWritten();
    if (!written.empty())
        trace.push_back("stdout: " + written);
    return trace;
}

Application *FakePlatform::createApplication(int &argc, char **argv)
{
    std::string event = "createApplication(argc " + std::to_string(argc);
    for (int i = 0; i < argc; ++i)
        event += ", " + quoted(argv[i]);
    record(event + ")");
    if (script.toolkitTakesArguments && argc > 1) {
        for (int i = 1; i < argc; ++i)
            argv[i] = argv[i + 1];
        --argc;
    }
    return new FakeApplication(*this);
}

int FakePlatform::realUserId()
{
    record("realUserId() -> " + std::to_string(script.realUserId));
    return script.realUserId;
}

MessageDialog *FakePlatform::createMessageDialog(const char *caption, const char *text,
                                                 MessageDialogType type)
{
    record("createMessageDialog(" + quoted(caption) + ", " + quoted(text) + ", " +
           std::to_string(type) + ")");
    return new FakeMessageDialog(*this, type);
}

CaptureDialog *FakePlatform::createCaptureDialog(const char *caption, const char *prompt, int type)
{
    record("createCaptureDialog(" + quoted(caption) + ", " + quoted(prompt) + ", " +
           std::to_string(type) + ")");
    return new FakeCaptureDialog(*this);
}

void FakePlatform::setServiceName(const char *name)
{
    record("setServiceName(" + quoted(name) + ")");
}

// The command's shell inherits these: a hangup must not end it, and a
// broken pipe should, as for any shell.
int FakePlatform::runShellCommand(const char *command)
{
    record("runShellCommand(" + quoted(command) + ") " + signalDispositions());
    return script.refreshStatus;
}
