#include "capture_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CaptureAnswer askInWindow(const QString &caption, const QString &prompt, const QString &entryText,
                          bool selectAll)
{
    QDialog dialog;
    dialog.setWindowTitle(caption);
    // Wide enough for the caption in the title bar and a name of some length.
    dialog.setMinimumWidth(320);

    auto *entry = new QLineEdit(entryText, &dialog);
    if (selectAll)
        entry->selectAll();
    auto *label = new QLabel(prompt, &dialog);
    label->setBuddy(entry);

    // OK is the default button, so Enter in the entry accepts; QDialog
    // itself turns Esc and closing the window into a rejection.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(entry);
    layout->addWidget(buttons);

    CaptureAnswer answer;
    answer.code = dialog.exec();
    answer.text = entry->text().toUtf8();
    answer.text.truncate(static_cast<qsizetype>(qstrlen(answer.text.constData())));
    return answer;
}
