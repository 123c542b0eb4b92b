// The one boundary between Kestrune's run flow and the phone: its application
// framework, its toolkit and its shell. The run flow calls nothing else, so the
// same flow runs on the phone, on the desktop stand-in and against the tests'
// recording fake; which implementation a binary gets is decided when it links.
//
// C++98 without the C++ standard library: the phone's compiler and libraries
// predate the modern C++ ABI.
#ifndef KESTRUNE_PLATFORM_H
#define KESTRUNE_PLATFORM_H

#include <stddef.h>
#include <string.h>

// Message dialog types, as the framework numbers them.
enum MessageDialogType {
    questionDialog = 1,  // asks yes or no; exec() gives 1 for yes
    noticeDialog = 2     // tells something; exec()'s result means nothing
};

// A modal message dialog: a caption and one text.
class MessageDialog {
public:
    virtual ~MessageDialog() {}

    // Runs the dialog modally and returns its result code.
    virtual int exec() = 0;
};

// The single-line capture dialog that asks for the operator name.
class CaptureDialog {
public:
    virtual ~CaptureDialog() {}

    // Selects all text of the entry field, so that typing replaces it.
    virtual void selectAll() = 0;

    virtual void show() = 0;

    // The result code once the dialog has closed: 0 if the user cancelled,
    // anything else if the entry was accepted.
    virtual int result() const = 0;

    // The entered text in UTF-8, up to its first NUL. Returns its length in
    // bytes; copies it with its terminator into `buffer` only when it fits
    // (length < size), and leaves `buffer` untouched otherwise: what
    // copyIfItFits below does.
    virtual size_t resultText(char *buffer, size_t size) const = 0;
};

// The contract of resultText, for every implementation: `text` up to its
// first NUL, copied with its terminator into `buffer` only when it fits in
// `size` bytes. Returns its length either way.
inline size_t copyIfItFits(const char *text, char *buffer, size_t size)
{
    const size_t length = strlen(text);
    if (length < size)
        memcpy(buffer, text, length + 1);
    return length;
}

// The application object: it owns the toolkit's event loop.
class Application {
public:
    virtual ~Application() {}

    virtual void setMainWidget(CaptureDialog *dialog) = 0;

    // Runs the event loop; returns once the main widget has been closed.
    virtual int exec() = 0;
};

// Creates the objects of one run and reaches the rest of the system.
// Objects it creates belong to the caller, who deletes them.
class Platform {
public:
    virtual ~Platform() {}

    // Must come before any dialog is created. The toolkit may read the
    // whole command line.
    virtual Application *createApplication(int &argc, char **argv) = 0;

    // The real user id of the process; 0 is root.
    virtual int realUserId() = 0;

    virtual MessageDialog *createMessageDialog(const char *caption, const char *text,
                                               MessageDialogType type) = 0;

    // `type` is passed to the framework unchanged; only it knows the meaning.
    virtual CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                               int type) = 0;

    // Hands the operator name (UTF-8, NUL-terminated) to the framework.
    // Reports nothing back: the phone's framework does not either.
    virtual void setServiceName(const char *name) = 0;

    // Runs `command` through the shell, as system() does.
    virtual int runShellCommand(const char *command) = 0;
};

// The platform this binary was linked with. The desktop stand-in picks its
// user interface here, before any toolkit starts, from the environment and
// the toolkit's own options on the command line.
Platform &systemPlatform(int argc, char **argv);

#endif
