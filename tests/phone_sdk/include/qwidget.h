// Simulated toolkit: widgets.
#ifndef QWIDGET_H
#define QWIDGET_H

#include "qobject.h"

class QWidget : public QObject {
public:
    QWidget(QWidget *parent = 0, const char *name = 0, unsigned int f = 0);
    virtual ~QWidget();

    virtual void show();

    // Simulation only: the scripted user closes the widget with `resultCode`.
    virtual void simulatedClose(int resultCode);
};

#endif
