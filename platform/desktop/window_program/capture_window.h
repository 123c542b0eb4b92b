// The window that asks for the operator name: the caption as its title, the
// prompt, one line of entry, OK (Enter) and Cancel (Esc, or closing the
// window).
#pragma once

#include <QByteArray>
#include <QString>

struct CaptureAnswer {
    int code = 0;  // QDialog's result: 1 accepted, 0 cancelled
    QByteArray text;  // UTF-8, up to its first NUL, as typed: trimming is the tool's job
};

// Shows the window with `entryText` in the entry, all of it selected when
// `selectAll` says so, and returns once it has closed; its window is gone
// by then.
CaptureAnswer askInWindow(const QString &caption, const QString &prompt, const QString &entryText,
                          bool selectAll);
