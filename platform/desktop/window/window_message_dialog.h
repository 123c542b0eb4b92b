// A message dialog as a window: a question with Yes and No, or a notice
// with OK.
#pragma once

#include "platform.h"

#include <QMessageBox>

class WindowMessageDialog : public MessageDialog {
public:
    WindowMessageDialog(const QString &caption, const QString &text, MessageDialogType type);

    // 1 for Yes or OK; 0 for No, Esc or closing the window.
    int exec() override;

private:
    QMessageBox box;
};
