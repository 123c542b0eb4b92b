// The simulated toolkit: texts, codecs, widgets, dialogs, the application.
#include "qapplication.h"
#include "qdialog.h"
#include "qmetaobject.h"
#include "qtextcodec.h"

#include "simulated_phone.h"
#include "simulated_text.h"

#include <cstring>

SimulatedText *newSimulatedString(const std::u16string &characters)
{
    return new SimulatedText{"QString", characters, std::string(), 1};
}

SimulatedText *newSimulatedBytes(const std::string &bytes)
{
    return new SimulatedText{"QCString", std::u16string(), bytes, 1};
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
    const bool string = std::strcmp(text->kind, "QString") == 0;
    recordCall(std::string(text->kind) + " " +
               quoted((string ? loggedCharacters(text->characters) : text->bytes).c_str()) +
               " released");
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
char *QCString::data() const { return text ? text->bytes.data() : nullptr; }
QCString::operator const char *() const { return data(); }
unsigned int QCString::length() const { return text ? std::strlen(text->bytes.c_str()) : 0; }

QString::QString() : text(nullptr) {}
QString::QString(SimulatedText *text) : text(text) {}
QString::QString(const QString &other) : text(shareSimulatedText(other.text)) {}
QString::~QString() { releaseSimulatedText(text); }

QString::QString(const char *latin1) : text(nullptr)
{
    recordCall("QString(" + quoted(latin1) + ") from Latin-1");
    if (latin1) {
        std::u16string characters;
        for (const char *c = latin1; *c; ++c)
            characters += static_cast<unsigned char>(*c);
        text = newSimulatedString(characters);
    }
}

// Latin-1, with '?' for what it cannot hold; kept as long as the string.
QString::operator const char *() const
{
    recordCall("QString::operator const char *() on " +
               (text ? quoted(loggedCharacters(text->characters).c_str()) : "null QString"));
    if (!text)
        return nullptr;
    text->bytes.clear();
    for (const char16_t c : text->characters)
        text->bytes += c < 0x100 ? static_cast<char>(c) : '?';
    return text->bytes.c_str();
}

QString &QString::operator=(const QString &other)
{
    SimulatedText *previous = text;
    text = shareSimulatedText(other.text);
    releaseSimulatedText(previous);
    return *this;
}

const SimulatedText *QString::simulatedText() const { return text; }

// Null bytes give an empty string, not a null one.
QString QString::fromUtf8(const char *utf8, int length)
{
    const std::string bytes =
        !utf8 ? std::string() : length < 0 ? std::string(utf8) : std::string(utf8, length);
    recordCall("QString::fromUtf8(" + quoted(utf8 ? bytes.c_str() : nullptr) + ")");
    return QString(newSimulatedString(toolkitDecoding(bytes)));
}

// Even a null string gives non-null bytes, empty ones.
QCString QString::utf8() const
{
    recordCall("QString::utf8() on " +
               (text ? quoted(loggedCharacters(text->characters).c_str()) : "null QString"));
    return QCString(newSimulatedBytes(text ? toolkitEncoding(text->characters) : ""));
}

namespace {

class SimulatedUtf8Codec : public QTextCodec {};

bool utf8CodecName(const char *name)
{
    for (const char *known : {"UTF-8", "utf-8", "UTF8", "utf8"})
        if (std::strcmp(name, known) == 0)
            return true;
    return false;
}

}  // namespace

QTextCodec::QTextCodec() {}
QTextCodec::~QTextCodec() {}

QTextCodec *QTextCodec::codecForName(const char *name, int accuracy)
{
    static SimulatedUtf8Codec utf8Codec;
    QTextCodec *found = simulatedUtf8CodecExists && utf8CodecName(name) ? &utf8Codec : nullptr;
    recordCall("QTextCodec::codecForName(" + quoted(name) + ", " + std::to_string(accuracy) +
               ") -> " + (found ? "codec" : "null"));
    return found;
}

QString QTextCodec::toUnicode(const char *chars) const
{
    recordCall("QTextCodec::toUnicode(" + quoted(chars) + ")");
    return QString(newSimulatedString(toolkitDecoding(chars)));
}

QMetaObject::QMetaObject(const char *class_name, const char *superclass_name, QMetaData *slot_data,
                         int n_slots, QMetaData *, int, QMetaProperty *, int, QMetaEnum *, int, QClassInfo *, int)
    : classname(class_name), superclassname(superclass_name), slotData(slot_data), slotCount(n_slots),
      slotAccess(nullptr)
{
}

QMetaObject::~QMetaObject()
{
    delete[] slotData;
    delete[] slotAccess;
}

int QMetaObject::numSlots(bool) const { return slotCount; }
QMetaData *QMetaObject::slot(int index, bool) const
{
    return index >= 0 && index < slotCount ? &slotData[index] : nullptr;
}

QMetaObject *QMetaObject::new_metaobject(const char *class_name, const char *superclass_name,
                                         QMetaData *slot_data, int n_slots, QMetaData *signal_data,
                                         int n_signals, QMetaProperty *prop_data, int n_props,
                                         QMetaEnum *enum_data, int n_enums, QClassInfo *class_info,
                                         int n_info)
{
    return new QMetaObject(class_name, superclass_name, slot_data, n_slots, signal_data, n_signals, prop_data,
                           n_props, enum_data, n_enums, class_info, n_info);
}

QMetaData *QMetaObject::new_metadata(int count) { return count > 0 ? new QMetaData[count] : nullptr; }
QMetaData::Access *QMetaObject::new_metaaccess(int count)
{
    return count > 0 ? new QMetaData::Access[count] : nullptr;
}
void QMetaObject::set_slot_access(QMetaData::Access *access) { slotAccess = access; }

QObject::QObject(QObject *, const char *) : simulatedLabel("QObject") {}
QObject::~QObject() {}
QMetaObject *QObject::metaObject() const { return nullptr; }
const char *QObject::className() const { return "QObject"; }

QWidget::QWidget(QWidget *parent, const char *name, unsigned int) : QObject(parent, name) {}
QWidget::~QWidget() {}
void QWidget::show() { recordCall(std::string("QWidget::show() [") + simulatedLabel + "]"); }
void QWidget::simulatedClose(int) {}

QDialog::QDialog(QWidget *parent, const char *name, bool, unsigned int f)
    : QWidget(parent, name, f), rescode(0)
{
}

QDialog::~QDialog() {}

// As the toolkit's: the dialog shows itself, then runs until it is closed.
int QDialog::exec()
{
    recordCall(std::string("QDialog::exec() [") + simulatedLabel + "]");
    show();
    return rescode;
}

void QDialog::simulatedClose(int code) { done(code); }
void QDialog::done(int r) { rescode = r; }
void QDialog::accept() { done(1); }
void QDialog::reject() { done(0); }

QApplication::QApplication(int &, char **, Type) : main_widget(nullptr) {}
QApplication::~QApplication() {}

QWidget *QApplication::mainWidget() const { return main_widget; }

// Names the widget by its meta-object, so the log shows whether the
// program carries the meta-object code of its main widget's class.
void QApplication::setMainWidget(QWidget *widget)
{
    main_widget = widget;
    recordCall(std::string("QApplication::setMainWidget(") + widget->className() + ")");
}

int QApplication::exec()
{
    recordCall("QApplication::exec()");
    return 0;
}
