#include "terminal_platform.h"

#include "line_reader.h"
#include "utf8_repair.h"
#include "yes_answer.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// Prompts, notices and diagnostics go to standard error, where the person at
// the terminal looks; there is nowhere else to report that writing failed.
void tell(const std::string &text)
{
    std::fputs(text.c_str(), stderr);  // NOLINT(cert-err33-c): nowhere else to report to
}

// The answer to the prompt just shown. Answers piped in are not echoed: each
// prompt still gets a line of its own. At the end of input, the prompt's line
// is ended, and false returned.
bool readAnswer(std::string &answer)
{
    if (!readLine(answer)) {
        tell("\n");
        return false;
    }
    if (!isatty(STDIN_FILENO))
        tell("\n");
    return true;
}

class TerminalCaptureDialog : public CaptureDialog {
public:
    TerminalCaptureDialog(const char *caption, const char *prompt)
        : caption(caption), prompt(prompt) {}

    // An answer typed at a terminal replaces nothing, so there is nothing
    // to select.
    void selectAll() override {}

    void show() override { tell(caption + " — " + prompt + ": "); }

    // What the event loop does while this dialog is the main widget.
    void readEntry()
    {
        std::string line;
        if (!readAnswer(line)) {
            code = 0;
            return;
        }
        // The toolkit hands text over as valid UTF-8: bytes that are not
        // UTF-8 arrive as U+FFFD.
        text = repairUtf8(line);
        code = 1;
    }

    int result() const override { return code; }

    size_t resultText(char *buffer, size_t size) const override
    {
        return copyIfItFits(text.c_str(), buffer, size);
    }

private:
    std::string caption;
    std::string prompt;
    std::string text;
    int code = 0;
};

class TerminalApplication : public Application {
public:
    void setMainWidget(CaptureDialog *dialog) override
    {
        // This platform only ever makes its own dialogs.
        mainWidget = static_cast<TerminalCaptureDialog *>(dialog);
    }

    int exec() override
    {
        if (mainWidget)
            mainWidget->readEntry();
        return 0;
    }

private:
    TerminalCaptureDialog *mainWidget = nullptr;
};

class TerminalMessageDialog : public MessageDialog {
public:
    TerminalMessageDialog(const char *caption, const char *text, MessageDialogType type)
        : caption(caption), text(text), type(type) {}

    int exec() override
    {
        if (type != questionDialog) {
            tell(caption + " — " + text + "\n");
            return 0;
        }
        tell(caption + " — " + text + " [y/N] ");
        std::string answer;
        return readAnswer(answer) && isYes(answer) ? 1 : 0;
    }

private:
    // Copies: the caller may release its texts once the dialog is built.
    std::string caption;
    std::string text;
    MessageDialogType type;
};

}  // namespace

Application *TerminalPlatform::createApplication(int &, char **)
{
    return new TerminalApplication;
}

MessageDialog *TerminalPlatform::createMessageDialog(const char *caption, const char *text,
                                                     MessageDialogType type)
{
    return new TerminalMessageDialog(caption, text, type);
}

CaptureDialog *TerminalPlatform::createCaptureDialog(const char *caption, const char *prompt,
                                                     int)
{
    return new TerminalCaptureDialog(caption, prompt);
}
