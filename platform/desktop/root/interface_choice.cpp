// The one place where the desktop stand-in picks its user interface: windows
// when a display is named and the window program shows them there, the
// terminal otherwise. Decided once, before any toolkit starts; and from the
// moment the window program fails to show a dialog, that dialog and every
// later one are asked at the terminal.
#include "display_request.h"
#include "escaped_text.h"
#include "terminal_platform.h"
#include "window_platform.h"

#include <memory>
#include <string>

namespace {

class ChosenPlatform : public DesktopPlatform {
public:
    ChosenPlatform(int argc, char **argv)
    {
        if (!displayNamed(argc, argv))
            return;
        std::string failure;
        windows = WindowPlatform::start(argv, failure);
        if (!windows)
            printDiagnostic(failure + "; using the terminal");
    }

    // Where a dialog made now is shown.
    Platform &current()
    {
        if (windowsUsable())
            return *windows;
        return terminal;
    }
    bool windowsUsable() const { return windows && !windows->unusable(); }
    TerminalPlatform &atTerminal() { return terminal; }

    Application *createApplication(int &argc, char **argv) override;
    MessageDialog *createMessageDialog(const char *caption, const char *text, MessageDialogType type) override;
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt, int type) override;

private:
    std::unique_ptr<WindowPlatform> windows;
    TerminalPlatform terminal;
};

// Made in a window when one can be shown; if the window program then fails
// to show it, made again at the terminal.
class ChosenCaptureDialog : public CaptureDialog {
public:
    ChosenCaptureDialog(ChosenPlatform &platform, const char *caption, const char *prompt, int type)
        : platform(platform), caption(caption), prompt(prompt), type(type), shownBy(&platform.current()),
          dialog(shownBy->createCaptureDialog(caption, prompt, type)) {}

    void selectAll() override
    {
        selected = true;
        dialog->selectAll();
    }

    void show() override
    {
        dialog->show();
        if (shownBy != &platform.current()) {
            shownBy = &platform.atTerminal();
            dialog.reset(shownBy->createCaptureDialog(caption.c_str(), prompt.c_str(), type));
            if (selected)
                dialog->selectAll();
            dialog->show();
        }
    }

    int result() const override { return dialog->result(); }
    size_t resultText(char *buffer, size_t size) const override { return dialog->resultText(buffer, size); }

    // The event loop of whichever interface shows it.
    void runEventLoop(int &argc, char **argv)
    {
        const std::unique_ptr<Application> application(shownBy->createApplication(argc, argv));
        application->setMainWidget(dialog.get());
        application->exec();
    }

private:
    ChosenPlatform &platform;
    std::string caption;
    std::string prompt;
    int type;
    bool selected = false;
    Platform *shownBy;
    std::unique_ptr<CaptureDialog> dialog;
};

class ChosenApplication : public Application {
public:
    ChosenApplication(int &argc, char **argv) : argc(argc), argv(argv) {}

    void setMainWidget(CaptureDialog *dialog) override
    {
        // This platform only ever makes its own dialogs.
        mainWidget = static_cast<ChosenCaptureDialog *>(dialog);
    }

    int exec() override
    {
        if (mainWidget)
            mainWidget->runEventLoop(argc, argv);
        return 0;
    }

private:
    int &argc;
    char **argv;
    ChosenCaptureDialog *mainWidget = nullptr;
};

// Made when it runs, where it can be shown then.
class ChosenMessageDialog : public MessageDialog {
public:
    ChosenMessageDialog(ChosenPlatform &platform, const char *caption, const char *text, MessageDialogType type)
        : platform(platform), caption(caption), text(text), type(type) {}

    int exec() override
    {
        if (platform.windowsUsable()) {
            const std::unique_ptr<MessageDialog> inWindow(
                platform.current().createMessageDialog(caption.c_str(), text.c_str(), type));
            const int answer = inWindow->exec();
            if (answer != WindowPlatform::notShown)
                return answer;
        }
        const std::unique_ptr<MessageDialog> atTerminal(
            platform.atTerminal().createMessageDialog(caption.c_str(), text.c_str(), type));
        return atTerminal->exec();
    }

private:
    ChosenPlatform &platform;
    // Copies: the caller may release its texts once the dialog is built.
    std::string caption;
    std::string text;
    MessageDialogType type;
};

Application *ChosenPlatform::createApplication(int &argc, char **argv)
{
    return new ChosenApplication(argc, argv);
}

MessageDialog *ChosenPlatform::createMessageDialog(const char *caption, const char *text, MessageDialogType type)
{
    return new ChosenMessageDialog(*this, caption, text, type);
}

CaptureDialog *ChosenPlatform::createCaptureDialog(const char *caption, const char *prompt, int type)
{
    return new ChosenCaptureDialog(*this, caption, prompt, type);
}

}  // namespace

Platform &systemPlatform(int argc, char **argv)
{
    static ChosenPlatform platform(argc, argv);
    return platform;
}
