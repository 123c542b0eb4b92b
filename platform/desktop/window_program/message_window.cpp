#include "message_window.h"

#include <QMessageBox>

int showInWindow(const QString &caption, const QString &text, bool question)
{
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(text);
    if (question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // A yes kills every process named phone: Enter, like Esc and closing
        // the window, answers no, as [y/N] does at the terminal.
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int button = box.exec();
    return button == QMessageBox::Yes || button == QMessageBox::Ok ? 1 : 0;
}
