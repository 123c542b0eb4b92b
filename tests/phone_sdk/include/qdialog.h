// Simulated toolkit: dialogs and their result code.
#ifndef QDIALOG_H
#define QDIALOG_H

#include "qwidget.h"

class QDialog : public QWidget {
public:
    QDialog(QWidget *parent = 0, const char *name = 0, bool modal = false, unsigned int f = 0);
    virtual ~QDialog();

    int result() const;
    virtual int exec();

    virtual void simulatedClose(int resultCode);

private:
    int resultCode;
};

#endif
