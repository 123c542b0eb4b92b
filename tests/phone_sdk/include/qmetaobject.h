// Simulated toolkit: what the meta-object compiler tells about a class.
#ifndef QMETAOBJECT_H
#define QMETAOBJECT_H

#include "qglobal.h"

class QMetaObject {
public:
    QMetaObject(const char *className, const char *superClassName,
                const char *const *slotNames, int slotCount);

    const char *className() const;
    const char *superClassName() const;
    int numSlots() const;
    const char *slotName(int index) const;

private:
    const char *name;
    const char *superName;
    const char *const *slots_;
    int slotCount;
};

#endif
