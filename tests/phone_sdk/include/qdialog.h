// Simulated toolkit: dialogs and their result code, declared as in
// Qt/Embedded 2.3.10.
#ifndef QDIALOG_H
#define QDIALOG_H

#include "qwidget.h"

class QDialog : public QWidget {
public:
    QDialog(QWidget *parent = 0, const char *name = 0, bool modal = false, unsigned int f = 0);
    virtual ~QDialog();

    // Not virtual: a framework's exec() hides it, and a call through a
    // QDialog * runs this one.
    int exec();
    // Inline in the toolkit: nothing can record it, only its outcome shows.
    int result() const { return rescode; }

    // Simulation only: the scripted user closes the dialog, as done() does.
    virtual void simulatedClose(int resultCode);

protected slots:
    virtual void done(int r);
    virtual void accept();
    virtual void reject();

private:
    int rescode;
};

#endif
