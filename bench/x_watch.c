/*
 * Watches an X display for the moment a top-level window titled "Kestrune"
 * becomes viewable, and types into windows for the benchmark driver.
 *
 * Polling for windows (xdotool search --sync looks every half second) cannot
 * time a dialog that appears in tens of milliseconds, so this listens to the
 * root window's structure events instead: every child that is mapped, or that
 * gets its title while mapped, is checked once. Each event line on standard
 * output carries CLOCK_MONOTONIC nanoseconds, the clock the driver reads
 * before it starts a candidate:
 *
 *   ready
 *   <ns> shown <window>     a "Kestrune" window became viewable
 *   <ns> typed              a command below has been sent to the server
 *
 * Commands, one per line on standard input:
 *
 *   type <window> <text>    focuses the window, types ASCII text and Return
 *   key <window> <keysym>   focuses the window, presses one key (e.g. Escape)
 *
 * Keys go through the XTEST extension, as a keyboard's would, since several
 * toolkits ignore synthetic events sent with XSendEvent.
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static const char title[] = "Kestrune";

static Display *display;
static Atom netWmName;

static long long monotonicNanoseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

static int ignoreErrors(Display *d, XErrorEvent *e)
{
    /* Windows die while being looked at; that is no error of ours. */
    (void)d, (void)e;
    return 0;
}

static int propertyIsTitle(Window window, Atom property)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *value = NULL;
    int matches = 0;
    if (XGetWindowProperty(display, window, property, 0, 64, False, AnyPropertyType, &type,
                           &format, &count, &after, &value) == Success && value) {
        matches = format == 8 && count == strlen(title) && memcmp(value, title, count) == 0;
        XFree(value);
    }
    return matches;
}

static int isTitled(Window window)
{
    return propertyIsTitle(window, netWmName) || propertyIsTitle(window, XA_WM_NAME);
}

static int isViewable(Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

/* The windows already reported while they stay mapped. */
static Window reported[256];
static int reportedCount;

static int wasReported(Window window)
{
    for (int i = 0; i < reportedCount; ++i)
        if (reported[i] == window)
            return 1;
    return 0;
}

static void forget(Window window)
{
    for (int i = 0; i < reportedCount; ++i)
        if (reported[i] == window)
            reported[i] = reported[--reportedCount];
}

static void checkWindow(Window window, long long seen)
{
    if (wasReported(window) || !isViewable(window) || !isTitled(window))
        return;
    if (reportedCount < (int)(sizeof reported / sizeof *reported))
        reported[reportedCount++] = window;
    printf("%lld shown 0x%lx\n", seen, window);
    fflush(stdout);
}

static void pressKey(KeySym keysym)
{
    KeyCode code = XKeysymToKeycode(display, keysym);
    if (code == 0)
        return;
    int shifted = XkbKeycodeToKeysym(display, code, 0, 0) != keysym;
    KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    if (shifted)
        XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(display, shift, False, CurrentTime);
}

static void runCommand(char *line)
{
    char verb[16];
    unsigned long window;
    int used = 0;
    if (sscanf(line, "%15s %lx %n", verb, &window, &used) < 2)
        return;
    char *argument = line + used;
    argument[strcspn(argument, "\n")] = '\0';

    XSetInputFocus(display, (Window)window, RevertToPointerRoot, CurrentTime);
    if (strcmp(verb, "type") == 0) {
        for (const char *c = argument; *c; ++c)
            pressKey((KeySym)(unsigned char)*c);
        pressKey(XK_Return);
    } else if (strcmp(verb, "key") == 0) {
        pressKey(XStringToKeysym(argument));
    }
    XSync(display, False);
    printf("%lld typed\n", monotonicNanoseconds());
    fflush(stdout);
}

int main(void)
{
    display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "x_watch: cannot open the display\n");
        return 1;
    }
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        fprintf(stderr, "x_watch: the display has no XTEST extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);

    struct pollfd sources[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    char line[512];
    for (;;) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            long long seen = monotonicNanoseconds();
            switch (e.type) {
            case CreateNotify:
                /* Titles set after mapping arrive as property changes. */
                XSelectInput(display, e.xcreatewindow.window, PropertyChangeMask);
                break;
            case MapNotify:
                checkWindow(e.xmap.window, seen);
                break;
            case PropertyNotify:
                if (e.xproperty.atom == netWmName || e.xproperty.atom == XA_WM_NAME)
                    checkWindow(e.xproperty.window, seen);
                break;
            case UnmapNotify:
                forget(e.xunmap.window);
                break;
            case DestroyNotify:
                forget(e.xdestroywindow.window);
                break;
            }
        }
        if (poll(sources, 2, -1) < 0)
            continue;
        if (sources[1].revents & (POLLIN | POLLHUP)) {
            if (!fgets(line, sizeof line, stdin))
                return 0;
            runCommand(line);
        }
    }
}
