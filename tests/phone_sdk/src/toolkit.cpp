// The simulated toolkit: texts, codecs, widgets, dialogs, the application.
#include "qapplication.h"
#include "qdialog.h"
#include "qmetaobject.h"
#include "qtextcodec.h"

#include "simulated_phone.h"
#include "simulated_text.h"

#include <cstring>

SimulatedText *newSimulatedText(const char *kind, const std::string &bytes)
{
    return new SimulatedText{kind, bytes, 1};
}

SimulatedText *shareSimulatedText(SimulatedText *text)
{
    if (text)
        ++text->references;
    return text;
}

void releaseSimulatedText(SimulatedText *text)
{
    if (!text || --text->references > 0)
        return;
    recordCall(std::string(text->kind) + " " + quoted(text->bytes.c_str()) + " released");
    delete text;
}

QCString::QCString() : text(nullptr) {}
QCString::QCString(SimulatedText *text) : text(text) {}
QCString::QCString(const QCString &other) : text(shareSimulatedText(other.text)) {}
QCString::~QCString() { releaseSimulatedText(text); }

QCString &QCString::operator=(const QCString &other)
{
    SimulatedText *previous = text;
    text = shareSimulatedText(other.text);
    releaseSimulatedText(previous);
    return *this;
}

// Null for a null string, as the toolkit's own.
const char *QCString::data() const { return text ? text->bytes.c_str() : nullptr; }
QCString::operator const char *() const { return data(); }
unsigned int QCString::length() const { return text ? std::strlen(text->bytes.c_str()) : 0; }

QString::QString() : text(nullptr) {}
QString::QString(SimulatedText *text) : text(text) {}
QString::QString(const QString &other) : text(shareSimulatedText(other.text)) {}
QString::~QString() { releaseSimulatedText(text); }

QString &QString::operator=(const QString &other)
{
    SimulatedText *previous = text;
    text = shareSimulatedText(other.text);
    releaseSimulatedText(previous);
    return *this;
}

const SimulatedText *QString::simulatedText() const { return text; }

QString QString::fromUtf8(const char *utf8, int length)
{
    const std::string bytes = length < 0 ? std::string(utf8) : std::string(utf8, length);
    recordCall("QString::fromUtf8(" + quoted(bytes.c_str()) + ")");
    return QString(newSimulatedText("QString", bytes));
}

// The simulated QString keeps the UTF-8 bytes it was made from. A null
// string gives a null byte string, whose data() is null.
QCString QString::utf8() const
{
    if (!text) {
        recordCall("QString::utf8() on null QString");
        return QCString();
    }
    recordCall("QString::utf8() on " + quoted(text->bytes.c_str()));
    return QCString(newSimulatedText("QCString", text->bytes));
}

namespace {

class SimulatedUtf8Codec : public QTextCodec {};

}  // namespace

QTextCodec::QTextCodec() {}
QTextCodec::~QTextCodec() {}

QTextCodec *QTextCodec::codecForName(const char *name, int accuracy)
{
    static SimulatedUtf8Codec utf8Codec;
    QTextCodec *found =
        simulatedUtf8CodecExists && std::strcmp(name, "UTF-8") == 0 ? &utf8Codec : nullptr;
    recordCall("QTextCodec::codecForName(" + quoted(name) + ", " + std::to_string(accuracy) +
               ") -> " + (found ? "codec" : "null"));
    return found;
}

QString QTextCodec::toUnicode(const char *chars) const
{
    recordCall("QTextCodec::toUnicode(" + quoted(chars) + ")");
    return QString(newSimulatedText("QString", chars));
}

QMetaObject::QMetaObject(const char *className, const char *superClassName,
                         const char *const *slotNames, int slotCount)
    : name(className), superName(superClassName), slots_(slotNames), slotCount(slotCount)
{
}

const char *QMetaObject::className() const { return name; }
const char *QMetaObject::superClassName() const { return superName; }
int QMetaObject::numSlots() const { return slotCount; }
const char *QMetaObject::slotName(int index) const { return slots_[index]; }

QObject::QObject(QObject *, const char *) : simulatedLabel("QObject") {}
QObject::~QObject() {}
QMetaObject *QObject::metaObject() const { return nullptr; }
const char *QObject::className() const { return "QObject"; }

QWidget::QWidget(QWidget *parent, const char *name, unsigned int) : QObject(parent, name) {}
QWidget::~QWidget() {}
void QWidget::show() { recordCall(std::string("QWidget::show() [") + simulatedLabel + "]"); }
void QWidget::simulatedClose(int) {}

QDialog::QDialog(QWidget *parent, const char *name, bool, unsigned int f)
    : QWidget(parent, name, f), resultCode(0)
{
}

QDialog::~QDialog() {}

int QDialog::result() const
{
    recordCall(std::string("QDialog::result() [") + simulatedLabel + "] -> " +
               std::to_string(resultCode));
    return resultCode;
}

int QDialog::exec()
{
    recordCall(std::string("QDialog::exec() [") + simulatedLabel + "]");
    return resultCode;
}

void QDialog::simulatedClose(int code) { resultCode = code; }

QApplication::QApplication(int &, char **, Type) : mainWidget(nullptr) {}
QApplication::~QApplication() {}

// Names the widget by its meta-object, so the log shows whether the
// program carries the meta-object code of its main widget's class.
void QApplication::setMainWidget(QWidget *widget)
{
    mainWidget = widget;
    recordCall(std::string("QApplication::setMainWidget(") + widget->className() + ")");
}

int QApplication::exec()
{
    recordCall("QApplication::exec()");
    return 0;
}
