#include "window_message_dialog.h"

WindowMessageDialog::WindowMessageDialog(const QString &caption, const QString &text,
                                         MessageDialogType type)
{
    box.setWindowTitle(caption);
    box.setText(text);
    if (type == questionDialog) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // A yes kills every process named phone: Enter, like Esc and closing
        // the window, answers no, as [y/N] does at the terminal.
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        // Any type the framework might add is shown as a notice.
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
    }
}

int WindowMessageDialog::exec()
{
    const int button = box.exec();
    return button == QMessageBox::Yes || button == QMessageBox::Ok ? 1 : 0;
}
