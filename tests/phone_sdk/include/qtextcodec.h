// Simulated toolkit: text codecs, found by name.
#ifndef QTEXTCODEC_H
#define QTEXTCODEC_H

#include "qstring.h"

class QTextCodec {
public:
    virtual ~QTextCodec();

    // Null when the toolkit has no codec of that name. UTF-8 goes by
    // "UTF-8", "utf-8", "UTF8" and "utf8".
    static QTextCodec *codecForName(const char *name, int accuracy = 0);

    // As the toolkit's UTF-8 codec: a 4-byte sequence gives nothing, stray
    // continuation bytes are dropped.
    QString toUnicode(const char *chars) const;

protected:
    QTextCodec();
};

#endif
