/*
 * The floor: the least any program can do to show a dialog on X. A bare
 * Xlib window titled "Kestrune" that waits for Return, then a second one
 * (the question) that waits for Escape; no toolkit, no text drawn.
 */
#include <X11/Xlib.h>
#include <X11/keysym.h>

static Window showWindow(Display *display)
{
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 120, 0,
                                        0, WhitePixel(display, DefaultScreen(display)));
    XStoreName(display, window, "Kestrune");
    XSelectInput(display, window, KeyPressMask);
    XMapWindow(display, window);
    return window;
}

static void waitForKey(Display *display, KeySym wanted)
{
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress && XLookupKeysym(&event.xkey, 0) == wanted)
            return;
    }
}

int main(void)
{
    Display *display = XOpenDisplay(0);
    if (!display)
        return 2;
    Window capture = showWindow(display);
    waitForKey(display, XK_Return);
    XDestroyWindow(display, capture);
    showWindow(display);
    waitForKey(display, XK_Escape);
    XCloseDisplay(display);
    return 0;
}
