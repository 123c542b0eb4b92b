#include "utf8_text.h"

// Looked up once, before main, and kept for the whole run.
static QTextCodec *const utf8Codec = QTextCodec::codecForName("UTF-8", 0);

QString utf8Text(const char *text)
{
    // A toolkit built without a codec of that name still decodes UTF-8
    // itself; calling through the missing codec would crash.
    if (utf8Codec == 0)
        return QString::fromUtf8(text);
    return utf8Codec->toUnicode(text);
}
