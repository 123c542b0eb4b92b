#ifndef KESTRUNE_UTF8_TEXT_H
#define KESTRUNE_UTF8_TEXT_H

#include "phone_sdk.h"

// The toolkit's text for a NUL-terminated UTF-8 literal, made when needed.
QString utf8Text(const char *text);

#endif
