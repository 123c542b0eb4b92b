#include "trim_blanks.h"

#include <stdio.h>
#include <string.h>

int trimBlanks(char *text)
{
    if (text[0] == '\0') {
        puts("empty input");
        return -1;
    }

    const size_t length = strlen(text);
    size_t start = 0;
    while (start < length && text[start] == ' ')
        ++start;
    if (start == length) {
        puts("all blank input");
        return -1;
    }

    // Stops at the latest on the non-blank byte at `start`, so it never needs
    // to look at index 0.
    size_t end = length;
    while (end - 1 != 0 && text[end - 1] == ' ')
        --end;
    text[end] = '\0';

    return static_cast<int>(start);
}
