#ifndef KESTRUNE_UTF8_TEXT_H
#define KESTRUNE_UTF8_TEXT_H

#include "phone_sdk.h"

#include <stddef.h>

// The toolkit's text for a NUL-terminated UTF-8 literal, made when needed.
QString utf8Text(const char *text);

// Makes what the toolkit's QString::utf8() gave, NUL-terminated, the UTF-8
// of the entry, in place: it only ever gets shorter. Returns its length.
size_t repairEntryUtf8(char *toolkitUtf8);

#endif
