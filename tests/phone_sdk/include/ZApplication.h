// Simulated framework: the application object of a phone application.
#ifndef ZAPPLICATION_H
#define ZAPPLICATION_H

#include "qapplication.h"

class ZApplication : public QApplication {
public:
    ZApplication(int &argc, char **argv, QApplication::Type type);
    virtual ~ZApplication();

    int exec();
};

#endif
