// Simulated toolkit: QString, 16-bit characters as in Qt/Embedded 2.3.10.
// Copies share one text, as in the toolkit, so that each text is made once
// and released once, however often it is copied.
#ifndef QSTRING_H
#define QSTRING_H

#include "qcstring.h"

class QString {
public:
    QString();
    QString(const QString &other);
    // Implicit and Latin-1, as the toolkit's: UTF-8 bytes that reach these
    // arrive mis-decoded, so the adapter must never rely on them.
    QString(const char *latin1);
    operator const char *() const;
    ~QString();
    QString &operator=(const QString &other);

    static QString fromUtf8(const char *utf8, int length = -1);
    QCString utf8() const;

    // Simulation only: wraps text made by the simulated toolkit.
    explicit QString(SimulatedText *text);
    const SimulatedText *simulatedText() const;

private:
    SimulatedText *text;
};

#endif
