/* Test helper (a Linux X client, not a Windows program): drops one file on
 * an X window the way a file manager does, through the XDND protocol, so
 * that Wine turns it into the WM_DROPFILES a real drop gives.
 *
 *   xdnd_drop WINDOW X Y URI
 *
 * WINDOW is the target's X window id, X and Y the pointer's position on the
 * screen, URI the file as text/uri-list gives it (file:///path). The source
 * owns the XdndSelection and offers text/uri-list; it sends XdndEnter,
 * answers the target's request for the data, sends XdndPosition, waits for
 * XdndStatus, sends XdndDrop and waits for XdndFinished. Exit code 0 when
 * the target accepted and finished, 1 when it refused, 2 on a time-out. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static Display* dpy;
static Window source, target;
static const char* uri;
static Atom a_enter, a_position, a_status, a_drop, a_finished, a_selection, a_copy, a_urilist;

static void send_message(Atom type, long l1, long l2, long l3, long l4) {
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)source;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &e);
    XFlush(dpy);
}

/* The target asks for the data: the URI list, with its CR LF. */
static void answer(const XSelectionRequestEvent* r) {
    XEvent n;
    memset(&n, 0, sizeof n);
    n.xselection.type = SelectionNotify;
    n.xselection.requestor = r->requestor;
    n.xselection.selection = r->selection;
    n.xselection.target = r->target;
    n.xselection.time = r->time;
    n.xselection.property = None;
    if (r->target == a_urilist) {
        char data[4096];
        snprintf(data, sizeof data, "%s\r\n", uri);
        XChangeProperty(dpy, r->requestor, r->property, a_urilist, 8, PropModeReplace, (unsigned char*)data,
                        (int)strlen(data));
        n.xselection.property = r->property;
    }
    XSendEvent(dpy, r->requestor, False, NoEventMask, &n);
    XFlush(dpy);
}

/* Serves requests until a client message of the given type arrives (its
 * event in *out) or seconds pass. */
static int wait_for(Atom type, double seconds, XEvent* out) {
    struct timespec t0, t;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == SelectionRequest) answer(&e.xselectionrequest);
            else if (e.type == ClientMessage && e.xclient.message_type == type) {
                *out = e;
                return 1;
            }
        }
        clock_gettime(CLOCK_MONOTONIC, &t);
        if ((double)(t.tv_sec - t0.tv_sec) + (double)(t.tv_nsec - t0.tv_nsec) / 1e9 > seconds) return 0;
        usleep(2000);
    }
}

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: xdnd_drop WINDOW X Y URI\n");
        return 2;
    }
    target = (Window)strtoul(argv[1], NULL, 0);
    long x = atol(argv[2]), y = atol(argv[3]);
    uri = argv[4];
    dpy = XOpenDisplay(NULL);
    if (!dpy) return 2;
    source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    a_enter = XInternAtom(dpy, "XdndEnter", False);
    a_position = XInternAtom(dpy, "XdndPosition", False);
    a_status = XInternAtom(dpy, "XdndStatus", False);
    a_drop = XInternAtom(dpy, "XdndDrop", False);
    a_finished = XInternAtom(dpy, "XdndFinished", False);
    a_selection = XInternAtom(dpy, "XdndSelection", False);
    a_copy = XInternAtom(dpy, "XdndActionCopy", False);
    a_urilist = XInternAtom(dpy, "text/uri-list", False);
    XSetSelectionOwner(dpy, a_selection, source, CurrentTime);

    XEvent e;
    send_message(a_enter, 5L << 24, (long)a_urilist, 0, 0);  /* version 5, one type */
    send_message(a_position, 0, x << 16 | y, CurrentTime, (long)a_copy);
    if (!wait_for(a_status, 10, &e)) return 2;
    if (!(e.xclient.data.l[1] & 1)) {
        fprintf(stderr, "xdnd_drop: the target refused the drop\n");
        return 1;
    }
    send_message(a_drop, 0, CurrentTime, 0, 0);
    if (!wait_for(a_finished, 10, &e)) return 2;
    XCloseDisplay(dpy);
    return 0;
}
