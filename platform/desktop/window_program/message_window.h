// A message as a window: a question with Yes and No, or a notice with OK.
#pragma once

#include <QString>

// Shows the window and returns once it has closed: 1 for Yes or OK; 0 for
// No, Esc or closing the window.
int showInWindow(const QString &caption, const QString &text, bool question);
