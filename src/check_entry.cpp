#include "check_entry.h"

#include "platform.h"
#include "trim_blanks.h"

#include <stdio.h>

int checkEntry(const CaptureDialog &captureDialog, char *serviceName, size_t size)
{
    if (captureDialog.resultText(serviceName, size) >= size) {
        puts("input too long");
        return -1;
    }
    return trimBlanks(serviceName);
}
