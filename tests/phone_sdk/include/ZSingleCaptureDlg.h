// Simulated framework: a dialog that captures one line of text. Its
// meta-object code is not in the library; programs generate it with moc.
#ifndef ZSINGLECAPTUREDLG_H
#define ZSINGLECAPTUREDLG_H

#include "ZLineEdit.h"
#include "ZPopup.h"
#include "qstring.h"

class ZSingleCaptureDlg : public ZPopup {
    Q_OBJECT

public:
    // The framework's numbers, any int; the simulation gives them no meaning.
    enum CaptureDlgType { simulatedLowestType = -0x7fffffff - 1, simulatedHighestType = 0x7fffffff };

    ZSingleCaptureDlg(QString const &caption, QString const &prompt,
                      ZSingleCaptureDlg::CaptureDlgType type, QWidget *parent, char const *name,
                      bool modal, unsigned int f, int);
    virtual ~ZSingleCaptureDlg();

    ZLineEdit *getLineEdit();
    QString getResultText();

public slots:
    void slotLSKClicked();
    void slotRSKClicked();
    void slotResizeAllChild(int);

private:
    ZLineEdit *lineEdit;
};

#endif
