// The simulated phone framework: the application object, the dialogs and
// the service name.
#include "ZApplication.h"
#include "ZMessageDlg.h"
#include "ZSingleCaptureDlg.h"

#include "simulated_phone.h"
#include "simulated_text.h"

#include <string>

namespace {

std::string textOf(const QString &text)
{
    const SimulatedText *shared = text.simulatedText();
    return shared ? quoted(loggedCharacters(shared->characters).c_str()) : "null QString";
}

std::string pointer(const void *address)
{
    return address ? "widget" : "null";
}

std::string flag(bool value)
{
    return value ? "true" : "false";
}

}  // namespace

ZApplication::ZApplication(int &argc, char **argv, QApplication::Type type)
    : QApplication(argc, argv, type)
{
    std::string arguments;
    for (int i = 0; i < argc; ++i)
        arguments += (i ? ", " : "") + quoted(argv[i]);
    recordCall("new ZApplication(" + std::to_string(argc) + ", {" + arguments + "}, " +
               std::to_string(type) + ")");
}

ZApplication::~ZApplication() { recordCall("~ZApplication()"); }

// Runs until the scripted user closes the main widget.
int ZApplication::exec()
{
    recordCall("ZApplication::exec()");
    if (mainWidget())
        mainWidget()->simulatedClose(phoneScript().captureResult);
    return 0;
}

ZPopup::ZPopup(QWidget *parent, const char *name, bool modal, unsigned int f)
    : QDialog(parent, name, modal, f)
{
}

ZPopup::~ZPopup() {}

void ZPopup::show() { recordCall(std::string("ZPopup::show() [") + simulatedLabel + "]"); }

int ZPopup::exec()
{
    simulatedClose(phoneScript().messageResult);
    recordCall(std::string("ZPopup::exec() [") + simulatedLabel + "] -> " +
               std::to_string(result()));
    return result();
}

ZMessageDlg::ZMessageDlg(QString const &caption, QString const &message,
                         ZMessageDlg::MessageDlgType type, int number, QWidget *parent,
                         char const *name, bool modal, unsigned int f)
    : ZPopup(parent, name, modal, f)
{
    simulatedLabel = "ZMessageDlg";
    recordCall("new ZMessageDlg(" + textOf(caption) + ", " + textOf(message) + ", " +
               std::to_string(type) + ", " + std::to_string(number) + ", " + pointer(parent) +
               ", " + quoted(name) + ", " + flag(modal) + ", " + std::to_string(f) + ")");
}

ZMessageDlg::~ZMessageDlg() { recordCall("~ZMessageDlg()"); }

ZLineEdit::ZLineEdit(QWidget *parent) : QWidget(parent) {}

void ZLineEdit::selectAll() { recordCall("ZLineEdit::selectAll()"); }

ZSingleCaptureDlg::ZSingleCaptureDlg(QString const &caption, QString const &prompt,
                                     ZSingleCaptureDlg::CaptureDlgType type, QWidget *parent,
                                     char const *name, bool modal, unsigned int f, int number)
    : ZPopup(parent, name, modal, f), lineEdit(new ZLineEdit(this))
{
    simulatedLabel = "ZSingleCaptureDlg";
    recordCall("new ZSingleCaptureDlg(" + textOf(caption) + ", " + textOf(prompt) + ", " +
               std::to_string(type) + ", " + pointer(parent) + ", " + quoted(name) + ", " +
               flag(modal) + ", " + std::to_string(f) + ", " + std::to_string(number) + ")");
}

ZSingleCaptureDlg::~ZSingleCaptureDlg()
{
    recordCall("~ZSingleCaptureDlg()");
    delete lineEdit;
}

ZLineEdit *ZSingleCaptureDlg::getLineEdit()
{
    recordCall("ZSingleCaptureDlg::getLineEdit()");
    return lineEdit;
}

QString ZSingleCaptureDlg::getResultText()
{
    if (phoneScript().nullText) {
        recordCall("ZSingleCaptureDlg::getResultText() -> null QString");
        return QString();
    }
    const QString text(newSimulatedString(typedCharacters(phoneScript().enteredText)));
    recordCall("ZSingleCaptureDlg::getResultText() -> " + textOf(text));
    return text;
}

void ZSingleCaptureDlg::slotLSKClicked() { accept(); }
void ZSingleCaptureDlg::slotRSKClicked() { reject(); }
void ZSingleCaptureDlg::slotResizeAllChild(int) {}

int UTIL_SetServiceName(char const *name)
{
    recordCall("UTIL_SetServiceName(" + quoted(name) + ")");
    return 0;
}
