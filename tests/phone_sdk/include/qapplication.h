// Simulated toolkit: the application object.
#ifndef QAPPLICATION_H
#define QAPPLICATION_H

#include "qwidget.h"

class QApplication : public QObject {
public:
    enum Type { Tty, GuiClient, GuiServer };

    QApplication(int &argc, char **argv, Type type);
    virtual ~QApplication();

    void setMainWidget(QWidget *widget);
    int exec();

protected:
    QWidget *mainWidget;
};

#endif
