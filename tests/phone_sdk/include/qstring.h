// Simulated toolkit: QString. Copies share one text, as in the toolkit, so
// that each text is made once and released once, however often it is copied.
#ifndef QSTRING_H
#define QSTRING_H

#include "qcstring.h"

class QString {
public:
    QString();
    QString(const QString &other);
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
