// Simulated toolkit: a byte string, as QString::utf8() hands it out.
#ifndef QCSTRING_H
#define QCSTRING_H

#include "qglobal.h"

struct SimulatedText;

class QCString {
public:
    QCString();
    QCString(const QCString &other);
    ~QCString();
    QCString &operator=(const QCString &other);

    // Writable, as the toolkit's, which inherits it from QArray<char>.
    char *data() const;
    operator const char *() const;
    unsigned int length() const;

    // Simulation only: wraps text made by the simulated toolkit.
    explicit QCString(SimulatedText *text);

private:
    SimulatedText *text;
};

#endif
