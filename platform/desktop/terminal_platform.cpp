#include "terminal_platform.h"

#include "utf8_repair.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

// An answer longer than this is far past any name that fits; the rest of the
// line is read and dropped so that memory stays bounded whatever comes in.
constexpr size_t maxKeptLineBytes = size_t{64} * 1024;

// Prompts, notices and diagnostics go to standard error, where the person at
// the terminal looks; there is nowhere else to report that writing failed.
void tell(const std::string &text)
{
    std::fputs(text.c_str(), stderr);  // NOLINT(cert-err33-c): nowhere else to report to
}

// Standard input, read straight from its descriptor: one that was left
// non-blocking is waited on rather than taken for ended, and a read error is
// told rather than taken silently for the end of input.
class StandardInput {
public:
    // One line without its "\n" or "\r\n". Returns false at the end of
    // input (or after a read error) before any byte of a line.
    bool readLine(std::string &line)
    {
        line.clear();
        bool any = false;
        while (next < pending.size() || refill()) {
            any = true;
            const size_t newline = pending.find('\n', next);
            const size_t end = newline == std::string::npos ? pending.size() : newline;
            line.append(pending, next, std::min(end - next, maxKeptLineBytes - line.size()));
            next = end == pending.size() ? end : end + 1;
            if (newline != std::string::npos)
                break;
        }
        if (!any)
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Answers piped in are not echoed; keep each prompt on its own line.
        if (!isatty(STDIN_FILENO))
            tell("\n");
        return true;
    }

private:
    bool refill()
    {
        char chunk[4096];
        for (;;) {
            const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
            if (count > 0) {
                pending.assign(chunk, static_cast<size_t>(count));
                next = 0;
                return true;
            }
            if (count == 0)
                return false;
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd input{STDIN_FILENO, POLLIN, 0};
                poll(&input, 1, -1);
                continue;
            }
            tell("kestrune: cannot read standard input: " + std::string(std::strerror(errno)) + "\n");
            return false;
        }
    }

    std::string pending;  // read, and from `next` on not handed out yet
    size_t next = 0;
};

StandardInput standardInput;

bool isYes(const std::string &answer)
{
    // Blanks around the answer and letter case do not count.
    std::string word;
    for (unsigned char c : answer)
        word += static_cast<char>(std::tolower(c));
    const size_t first = word.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos)
        return false;
    word = word.substr(first, word.find_last_not_of(" \t\n\v\f\r") + 1 - first);
    return word == "y" || word == "yes";
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
        if (!standardInput.readLine(line)) {
            tell("\n");
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
        const char *entry = text.c_str();  // up to the first NUL, as the toolkit's C string
        const size_t length = std::char_traits<char>::length(entry);
        if (length < size)
            std::char_traits<char>::copy(buffer, entry, length + 1);
        return length;
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
        if (!standardInput.readLine(answer)) {
            tell("\n");
            return 0;
        }
        return isYes(answer) ? 1 : 0;
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
