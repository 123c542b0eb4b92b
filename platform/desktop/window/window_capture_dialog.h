// The capture dialog as a window: the caption as its title, the prompt, one
// line of entry, OK (Enter) and Cancel (Esc, or closing the window).
#pragma once

#include "platform.h"

#include <QDialog>

class QLineEdit;

class WindowCaptureDialog : public CaptureDialog {
public:
    WindowCaptureDialog(const QString &caption, const QString &prompt, const QString &entryText);

    void selectAll() override;
    void show() override;
    int result() const override;
    size_t resultText(char *buffer, size_t size) const override;

    QDialog &window() { return dialog; }

private:
    QDialog dialog;
    QLineEdit *entry;
};
