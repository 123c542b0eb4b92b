// Simulated toolkit: what the meta-object compiler tells about a class, as
// Qt/Embedded 2.3.10 declares it; the moc's code makes it through
// new_metaobject. Properties, enums, class information and signals are
// always empty here.
#ifndef QMETAOBJECT_H
#define QMETAOBJECT_H

#include "qglobal.h"

class QObject;
class QMetaProperty;
class QMetaEnum;
class QClassInfo;

typedef void (QObject::*QMember)();

struct QMetaData {
    const char *name;
    QMember ptr;
    enum Access { Private, Protected, Public };
};

class QMetaObject {
public:
    QMetaObject(const char *class_name, const char *superclass_name, QMetaData *slot_data, int n_slots,
                QMetaData *signal_data, int n_signals, QMetaProperty *prop_data, int n_props,
                QMetaEnum *enum_data, int n_enums, QClassInfo *class_info, int n_info);
    virtual ~QMetaObject();

    // With `super`, a base class's slots would count too; the simulated
    // classes' bases have none.
    int numSlots(bool super = FALSE) const;
    QMetaData *slot(int index, bool super = FALSE) const;

    const char *className() const { return classname; }
    const char *superClassName() const { return superclassname; }

    static QMetaObject *new_metaobject(const char *, const char *, QMetaData *, int, QMetaData *, int,
                                       QMetaProperty *prop_data, int n_props, QMetaEnum *enum_data,
                                       int n_enums, QClassInfo *class_info, int n_info);
    static QMetaData *new_metadata(int);
    static QMetaData::Access *new_metaaccess(int);
    void set_slot_access(QMetaData::Access *);

private:
    const char *classname;
    const char *superclassname;
    QMetaData *slotData;
    int slotCount;
    QMetaData::Access *slotAccess;
};

#endif
