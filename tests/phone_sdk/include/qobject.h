// Simulated toolkit: the object base class and the markers that the
// meta-object compiler reads, as Qt/Embedded 2.3.10 declares them.
#ifndef QOBJECT_H
#define QOBJECT_H

#include "qglobal.h"

class QMetaObject;
class QString;

#define slots
#define Q_OBJECT                                    \
public:                                             \
    QMetaObject *metaObject() const                 \
    {                                               \
        return staticMetaObject();                  \
    }                                               \
    const char *className() const;                  \
    static QMetaObject *staticMetaObject();         \
    static QString tr(const char *);                \
    static QString tr(const char *, const char *);  \
                                                    \
protected:                                          \
    void initMetaObject();                          \
                                                    \
private:                                            \
    static QMetaObject *metaObj;

class QObject {
public:
    QObject(QObject *parent = 0, const char *name = 0);
    virtual ~QObject();

    virtual QMetaObject *metaObject() const;
    virtual const char *className() const;

    // Simulation only: what the call log calls this object.
    const char *simulatedLabel;
};

#endif
