#ifndef KESTRUNE_UTF8_TEXT_H
#define KESTRUNE_UTF8_TEXT_H

#include "phone_sdk.h"

#include <stddef.h>

// The toolkit's text for a NUL-terminated UTF-8 literal, made when needed.
QString utf8Text(const char *text);

// The UTF-8 of an entry, from what the toolkit's QString::utf8() gave: its
// length in bytes, and the bytes with their terminator in `buffer` only when
// they fit in its `size` bytes.
size_t entryUtf8(const char *toolkitUtf8, char *buffer, size_t size);

#endif
