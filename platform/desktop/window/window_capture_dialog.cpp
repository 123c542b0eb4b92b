#include "window_capture_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

WindowCaptureDialog::WindowCaptureDialog(const QString &caption, const QString &prompt,
                                         const QString &entryText)
    : dialog(new QDialog), entry(new QLineEdit(entryText, dialog))
{
    dialog->setWindowTitle(caption);
    dialog->setModal(true);
    // Wide enough for the caption in the title bar and a name of some length.
    dialog->setMinimumWidth(320);

    auto *label = new QLabel(prompt, dialog);
    label->setBuddy(entry);

    // OK is the default button, so Enter in the entry accepts; QDialog
    // itself turns Esc and closing the window into a rejection.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(entry);
    layout->addWidget(buttons);

    // Deleted once the event loop that ran it has returned, before the
    // question's window is made.
    QObject::connect(dialog, &QDialog::finished, dialog, [this](int result) {
        closedResult = result;
        closedText = entry->text().toUtf8();
        dialog->deleteLater();
    });
}

WindowCaptureDialog::~WindowCaptureDialog()
{
    delete dialog;
}

void WindowCaptureDialog::selectAll()
{
    entry->selectAll();
}

void WindowCaptureDialog::show()
{
    dialog->show();
}

// QDialog::Accepted is 1, Rejected 0.
int WindowCaptureDialog::result() const
{
    return dialog ? dialog->result() : closedResult;
}

QByteArray WindowCaptureDialog::text() const
{
    const QByteArray text = dialog ? entry->text().toUtf8() : closedText;
    return text.left(static_cast<qsizetype>(qstrlen(text.constData())));
}

size_t WindowCaptureDialog::resultText(char *buffer, size_t size) const
{
    const QByteArray entered = text();
    const auto length = static_cast<size_t>(entered.size());
    if (length < size)
        qstrcpy(buffer, entered.constData());
    return length;
}
