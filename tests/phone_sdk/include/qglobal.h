// Simulated toolkit: the settings every toolkit header starts from.
#ifndef QGLOBAL_H
#define QGLOBAL_H

// Without QWS, Qt/Embedded 2's own headers take the X11 window system and
// give the classes the X11 layout, which its library does not have: such a
// program does not link, or worse. Stopped here, as it would be on the phone.
#ifndef QWS
#error "QWS is not defined: build with -DQWS -D_REENTRANT -DQT_THREAD_SUPPORT for libqte-mt"
#endif

#ifndef TRUE
const bool FALSE = 0;
const bool TRUE = !0;
#endif

#endif
