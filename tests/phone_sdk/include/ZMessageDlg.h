// Simulated framework: a message dialog with a caption and one text.
#ifndef ZMESSAGEDLG_H
#define ZMESSAGEDLG_H

#include "ZPopup.h"
#include "qstring.h"

class ZMessageDlg : public ZPopup {
public:
    // The framework's numbers; the simulation gives them no meaning.
    enum MessageDlgType { simulatedFirstType = 0, simulatedLastType = 0x7fffffff };

    ZMessageDlg(QString const &caption, QString const &message, ZMessageDlg::MessageDlgType type,
                int, QWidget *parent, char const *name, bool modal, unsigned int f);
    virtual ~ZMessageDlg();
};

#endif
