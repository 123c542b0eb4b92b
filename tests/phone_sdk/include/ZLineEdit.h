// Simulated framework: a single-line entry field.
#ifndef ZLINEEDIT_H
#define ZLINEEDIT_H

#include "qwidget.h"

class ZLineEdit : public QWidget {
public:
    explicit ZLineEdit(QWidget *parent);

    void selectAll();
};

#endif
