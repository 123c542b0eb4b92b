// The platform on the phone itself: its framework's dialogs and application
// object, the service-name call, and the C library's getuid and system.
#include "platform.h"
#include "phone_sdk.h"
#include "utf8_text.h"

#include <stdlib.h>
#include <unistd.h>

namespace {

// Framework arguments that are the same in every call. What the bare integer
// of each dialog means is the framework's business; it is always 0 here.
QWidget *const noParent = 0;
const char *const noObjectName = 0;
const bool modal = true;
const unsigned int noWindowFlags = 0;
const int frameworkNumber = 0;

class PhoneApplication : public Application {
public:
    PhoneApplication(int &argc, char **argv)
        : application(new ZApplication(argc, argv, QApplication::GuiClient)),
          captureCaption(0),
          capturePrompt(0)
    {
    }

    // The application object goes first, then the capture dialog's texts:
    // the framework may refer to them for as long as it runs.
    ~PhoneApplication()
    {
        delete application;
        delete captureCaption;
        delete capturePrompt;
    }

    // Keeps the capture dialog's texts until tear-down.
    void holdCaptureTexts(QString *caption, QString *prompt)
    {
        captureCaption = caption;
        capturePrompt = prompt;
    }

    void setMainWidget(CaptureDialog *dialog);

    int exec() { return application->exec(); }

private:
    // It owns what it points to: a copy would delete it twice.
    PhoneApplication(const PhoneApplication &);
    PhoneApplication &operator=(const PhoneApplication &);

    ZApplication *application;
    QString *captureCaption;
    QString *capturePrompt;
};

class PhoneCaptureDialog : public CaptureDialog {
public:
    explicit PhoneCaptureDialog(ZSingleCaptureDlg *dialog) : dialog(dialog) {}
    ~PhoneCaptureDialog() { delete dialog; }

    void selectAll() { dialog->getLineEdit()->selectAll(); }
    void show() { dialog->show(); }
    int result() const { return dialog->result(); }

    size_t resultText(char *buffer, size_t size) const
    {
        const QCString utf8 = dialog->getResultText().utf8();
        // Qt/Embedded 2.3.10 gives even a null string non-null bytes; a build
        // that gives null ones would crash the copy.
        if (utf8.data() == 0)
            return copyIfItFits("", buffer, size);
        repairEntryUtf8(utf8.data());
        return copyIfItFits(utf8.data(), buffer, size);
    }

    ZSingleCaptureDlg *const dialog;

private:
    PhoneCaptureDialog(const PhoneCaptureDialog &);
    PhoneCaptureDialog &operator=(const PhoneCaptureDialog &);
};

// The phone's platform creates no other capture dialog, so the cast is sound.
void PhoneApplication::setMainWidget(CaptureDialog *dialog)
{
    application->setMainWidget(static_cast<PhoneCaptureDialog *>(dialog)->dialog);
}

class PhoneMessageDialog : public MessageDialog {
public:
    explicit PhoneMessageDialog(ZMessageDlg *dialog) : dialog(dialog) {}
    ~PhoneMessageDialog() { delete dialog; }

    int exec() { return dialog->exec(); }

private:
    PhoneMessageDialog(const PhoneMessageDialog &);
    PhoneMessageDialog &operator=(const PhoneMessageDialog &);

    ZMessageDlg *const dialog;
};

class PhonePlatform : public Platform {
public:
    PhonePlatform() : application(0) {}

    Application *createApplication(int &argc, char **argv)
    {
        application = new PhoneApplication(argc, argv);
        return application;
    }

    int realUserId() { return static_cast<int>(getuid()); }

    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type)
    {
        ZMessageDlg *dialog;
        {
            // Released as soon as the dialog exists, before it runs.
            const QString captionText = utf8Text(caption);
            const QString messageText = utf8Text(text);
            dialog = new ZMessageDlg(captionText, messageText,
                                     static_cast<ZMessageDlg::MessageDlgType>(type),
                                     frameworkNumber, noParent, noObjectName, modal,
                                     noWindowFlags);
        }
        return new PhoneMessageDialog(dialog);
    }

    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt, int type)
    {
        QString *captionText = new QString(utf8Text(caption));
        QString *promptText = new QString(utf8Text(prompt));
        application->holdCaptureTexts(captionText, promptText);
        return new PhoneCaptureDialog(new ZSingleCaptureDlg(
            *captionText, *promptText, static_cast<ZSingleCaptureDlg::CaptureDlgType>(type),
            noParent, "ZSingleCaptureDlg", modal, noWindowFlags, frameworkNumber));
    }

    void setServiceName(const char *name) { UTIL_SetServiceName(name); }

    // NOLINTNEXTLINE(cert-env33-c): the refresh is a shell command, on the phone too
    int runShellCommand(const char *command) { return system(command); }

private:
    // The run's application object, which holds the capture dialog's texts.
    // Every run creates it first and deletes it last.
    PhoneApplication *application;
};

PhonePlatform phonePlatform;

}  // namespace

Platform &systemPlatform(int, char **)
{
    return phonePlatform;
}
