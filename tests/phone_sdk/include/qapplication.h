// Simulated toolkit: the application object.
#ifndef QAPPLICATION_H
#define QAPPLICATION_H

#include "qwidget.h"

class QApplication : public QObject {
public:
    enum Type { Tty, GuiClient, GuiServer };

    QApplication(int &argc, char **argv, Type type);
    virtual ~QApplication();

    QWidget *mainWidget() const;
    virtual void setMainWidget(QWidget *widget);
    int exec();

private:
    QWidget *main_widget;
};

#endif
