#ifndef KESTRUNE_CHECK_ENTRY_H
#define KESTRUNE_CHECK_ENTRY_H

#include <stddef.h>

class CaptureDialog;

// Copies the accepted entry of `captureDialog` into `serviceName`, a buffer
// of `size` bytes, and trims it there. Returns the index at which the name
// starts, or -1 with a line on standard output: the entry was empty, all
// blanks, or too long for the buffer (which is then left untouched).
int checkEntry(const CaptureDialog &captureDialog, char *serviceName, size_t size);

#endif
