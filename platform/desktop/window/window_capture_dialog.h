// The capture dialog as a window: the caption as its title, the prompt, one
// line of entry, OK (Enter) and Cancel (Esc, or closing the window).
#pragma once

#include "platform.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>

class QLineEdit;

class WindowCaptureDialog : public CaptureDialog {
public:
    WindowCaptureDialog(const QString &caption, const QString &prompt, const QString &entryText);
    ~WindowCaptureDialog() override;
    WindowCaptureDialog(const WindowCaptureDialog &) = delete;
    WindowCaptureDialog &operator=(const WindowCaptureDialog &) = delete;

    void selectAll() override;
    void show() override;
    int result() const override;
    size_t resultText(char *buffer, size_t size) const override;

    // The entered text in UTF-8, up to its first NUL, as typed: trimming is
    // the run flow's job.
    QByteArray text() const;

    // The window, until it has closed.
    QDialog &window() { return *dialog; }

private:
    // Let go of once it has closed, as QInputDialog::getText lets go of its
    // own: the run keeps this object to its end, the window's memory need not
    // stay with it. Its answer is kept here.
    QPointer<QDialog> dialog;
    QLineEdit *entry;
    int closedResult = 0;
    QByteArray closedText;
};
