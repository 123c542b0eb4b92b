#include "terminal_platform.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <unistd.h>

namespace {

// An answer longer than this is far past any name that fits; the rest of the
// line is read and dropped so that memory stays bounded whatever comes in.
constexpr qsizetype maxKeptLineBytes = 64 * 1024;

// Reads one line from standard input without its "\n" or "\r\n". Returns
// false at end of input before any byte.
bool readLine(QByteArray &line)
{
    line.clear();
    int c = std::getchar();
    if (c == EOF)
        return false;
    for (; c != EOF && c != '\n'; c = std::getchar()) {
        if (line.size() < maxKeptLineBytes)
            line.append(static_cast<char>(c));
    }
    if (line.endsWith('\r'))
        line.chop(1);
    // Answers piped in are not echoed; keep each prompt on its own line.
    if (!isatty(STDIN_FILENO))
        std::fputc('\n', stderr);
    return true;
}

bool isYes(const QByteArray &answer)
{
    const QByteArray word = answer.trimmed().toLower();
    return word == "y" || word == "yes";
}

class TerminalCaptureDialog : public CaptureDialog {
public:
    TerminalCaptureDialog(const char *caption, const char *prompt)
        : caption(caption), prompt(prompt) {}

    // An answer typed at a terminal replaces nothing, so there is nothing
    // to select.
    void selectAll() override {}

    void show() override
    {
        std::fprintf(stderr, "%s — %s: ", caption.constData(), prompt.constData());
    }

    // What the event loop does while this dialog is the main widget.
    void readEntry()
    {
        QByteArray line;
        if (!readLine(line)) {
            std::fputc('\n', stderr);
            code = 0;
            return;
        }
        // Decoded and encoded again as the toolkit hands text over: bytes
        // that are not UTF-8 arrive as U+FFFD.
        text = QString::fromUtf8(line).toUtf8();
        code = 1;
    }

    int result() const override { return code; }

    size_t resultText(char *buffer, size_t size) const override
    {
        const size_t length = qstrlen(text.constData());
        if (length < size)
            qstrcpy(buffer, text.constData());
        return length;
    }

private:
    QByteArray caption;
    QByteArray prompt;
    QByteArray text;
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
            std::fprintf(stderr, "%s — %s\n", caption.constData(), text.constData());
            return 0;
        }
        std::fprintf(stderr, "%s — %s [y/N] ", caption.constData(), text.constData());
        QByteArray answer;
        if (!readLine(answer)) {
            std::fputc('\n', stderr);
            return 0;
        }
        return isYes(answer) ? 1 : 0;
    }

private:
    // Copies: the caller may release its texts once the dialog is built.
    QByteArray caption;
    QByteArray text;
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
