// Simulated toolkit: text codecs, found by name.
#ifndef QTEXTCODEC_H
#define QTEXTCODEC_H

#include "qstring.h"

class QTextCodec {
public:
    virtual ~QTextCodec();

    // Null when the toolkit has no codec of that name.
    static QTextCodec *codecForName(const char *name, int accuracy = 0);

    QString toUnicode(const char *chars) const;

protected:
    QTextCodec();
};

#endif
