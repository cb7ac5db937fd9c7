// The least any opaque window costs to freeze the screen on X11, with no toolkit at all: one
// connection, the server's copy of the screen made the background of a window that covers it, and
// the window mapped. The window is of the program's kind (a managed, frameless, topmost window, so
// a window manager maps it as it maps the program's), and nothing is drawn after the map: its
// first frame is the server's paint of the copy. Under a compositing manager that frame must still
// be composited onto the screen, as every opaque window's must; a transparent window (gromit-mpx's)
// shows what was there already. bench/run-first-frame.sh starts it beside the program.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <unistd.h>

int main()
{
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return 1;
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    const unsigned width = unsigned(DisplayWidth(dpy, screen));
    const unsigned height = unsigned(DisplayHeight(dpy, screen));

    const Pixmap copy = XCreatePixmap(dpy, root, width, height, unsigned(DefaultDepth(dpy, screen)));
    XGCValues values {};
    values.subwindow_mode = IncludeInferiors;
    const GC gc = XCreateGC(dpy, copy, GCSubwindowMode, &values);
    XCopyArea(dpy, root, copy, gc, 0, 0, width, height, 0, 0);

    XSetWindowAttributes attributes {};
    attributes.background_pixmap = copy;
    const Window window
        = XCreateWindow(dpy, root, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                        CopyFromParent, CWBackPixmap, &attributes);
    // No frame, above the other windows, as a frameless topmost toolkit window asks.
    const long motif[5] = {2, 0, 0, 0, 0}; // flags: decorations; decorations: none
    const Atom motifHints = XInternAtom(dpy, "_MOTIF_WM_HINTS", False);
    XChangeProperty(dpy, window, motifHints, motifHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(motif), 5);
    const Atom above = XInternAtom(dpy, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(dpy, window, XInternAtom(dpy, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(&above), 1);
    XMapWindow(dpy, window);
    XFlush(dpy);
    for (;;)
        pause();
}
