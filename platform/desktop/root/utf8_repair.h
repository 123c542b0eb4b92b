// Text typed at a terminal arrives as raw bytes; the window toolkit hands the
// run flow valid UTF-8 only. This gives the terminal the toolkit's result
// without loading the toolkit: the bytes exactly as Qt's QString::fromUtf8
// followed by toUtf8 makes them.
#pragma once

#include <string>

// Valid UTF-8 stays as it is (NUL bytes included). Every byte that does not
// begin a complete, shortest-form sequence of a code point up to U+10FFFF,
// other than a surrogate, becomes U+FFFD on its own; the bytes after it are
// looked at again. A byte order mark at the start is dropped.
std::string repairUtf8(const std::string &bytes);

// Whether every byte belongs to such a sequence.
bool isValidUtf8(const std::string &bytes);
