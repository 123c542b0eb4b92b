// Simulated framework: the base of the framework's modal dialogs.
#ifndef ZPOPUP_H
#define ZPOPUP_H

#include "qdialog.h"

class ZPopup : public QDialog {
public:
    ZPopup(QWidget *parent, const char *name, bool modal, unsigned int f);
    virtual ~ZPopup();

    void show();
    int exec();
};

#endif
