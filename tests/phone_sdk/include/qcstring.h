// Simulated toolkit: a byte string, as QString::utf8() hands it out.
#ifndef QCSTRING_H
#define QCSTRING_H

struct SimulatedText;

class QCString {
public:
    QCString();
    QCString(const QCString &other);
    ~QCString();
    QCString &operator=(const QCString &other);

    const char *data() const;
    operator const char *() const;
    unsigned int length() const;

    // Simulation only: wraps text made by the simulated toolkit.
    explicit QCString(SimulatedText *text);

private:
    SimulatedText *text;
};

#endif
