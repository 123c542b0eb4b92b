// Simulated toolkit: the object base class and the markers that the
// meta-object compiler reads.
#ifndef QOBJECT_H
#define QOBJECT_H

class QMetaObject;

#define slots
#define Q_OBJECT                                    \
public:                                             \
    virtual QMetaObject *metaObject() const;        \
    virtual const char *className() const;          \
    static QMetaObject *staticMetaObject();         \
                                                    \
private:

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
