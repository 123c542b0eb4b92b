// What the adapter uses of the phone's framework (libezxappbase) and toolkit
// (libqte-mt), in one place. Headers are named after their classes; an SDK
// that names them differently needs changes here only.
#ifndef KESTRUNE_PHONE_SDK_H
#define KESTRUNE_PHONE_SDK_H

#include <ZApplication.h>
#include <ZLineEdit.h>
#include <ZMessageDlg.h>
#include <ZPopup.h>
#include <ZSingleCaptureDlg.h>
#include <qapplication.h>
#include <qcstring.h>
#include <qstring.h>
#include <qtextcodec.h>

// A plain function of the framework that no header of its declares for us:
// takes the new service name, NUL-terminated UTF-8. Its result means nothing
// we can act on.
int UTIL_SetServiceName(char const *name);

#endif
