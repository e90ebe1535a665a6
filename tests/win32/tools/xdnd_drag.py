#!/usr/bin/env python3
"""Drags files onto the X window under a point and drops them there, as a
file manager on the Linux desktop does, with the X drag-and-drop protocol
(XDND, version 5): a program under Wine receives them through Wine's X11
driver as the WM_DROPFILES of a real drop. The end-to-end tests start it
as the other process of a drop; Wine cannot wait for a Unix process, so it
tells how the drag ended in a status file.
  xdnd_drag.py STATUS X Y URI...
X, Y: the point on the root window; URI: file:///... with its bytes
percent-encoded. STATUS gets "0 dropped" once the target has finished the
drop, or "1 REASON" when there was no display or no window that takes drops
at the point, the window refused the drop, or it did not finish in time."""
import ctypes
import os
import sys
import time
from ctypes import POINTER, byref, c_char_p, c_int, c_long, c_ubyte, c_uint, c_ulong, c_void_p

TIMEOUT_S = 10  # as long as the tests wait for the program (kE2eTimeoutMs)
CLIENT_MESSAGE, SELECTION_REQUEST, SELECTION_NOTIFY = 33, 30, 31
XDND_VERSION = 5


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong), ("message_type", c_ulong), ("format", c_int), ("l", c_long * 5)]


class SelectionRequest(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("owner", c_ulong), ("requestor", c_ulong), ("selection", c_ulong), ("target", c_ulong),
                ("property", c_ulong), ("time", c_ulong)]


class SelectionNotify(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("requestor", c_ulong), ("selection", c_ulong), ("target", c_ulong), ("property", c_ulong),
                ("time", c_ulong)]


class Event(ctypes.Union):
    _fields_ = [("type", c_int), ("client", ClientMessage), ("request", SelectionRequest),
                ("notify", SelectionNotify), ("pad", c_long * 24)]


def load_x11():
    """libX11 with the argument and result types of the calls made here."""
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = c_void_p
    x.XOpenDisplay.argtypes = [c_char_p]
    x.XDefaultRootWindow.restype = c_ulong
    x.XDefaultRootWindow.argtypes = [c_void_p]
    x.XInternAtom.restype = c_ulong
    x.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
    x.XCreateSimpleWindow.restype = c_ulong
    x.XCreateSimpleWindow.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_uint, c_ulong, c_ulong]
    x.XSetSelectionOwner.argtypes = [c_void_p, c_ulong, c_ulong, c_ulong]
    x.XTranslateCoordinates.argtypes = [c_void_p, c_ulong, c_ulong, c_int, c_int, POINTER(c_int), POINTER(c_int),
                                        POINTER(c_ulong)]
    x.XGetWindowProperty.argtypes = [c_void_p, c_ulong, c_ulong, c_long, c_long, c_int, c_ulong, POINTER(c_ulong),
                                     POINTER(c_int), POINTER(c_ulong), POINTER(c_ulong), POINTER(POINTER(c_ubyte))]
    x.XFree.argtypes = [c_void_p]
    x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, POINTER(Event)]
    x.XChangeProperty.argtypes = [c_void_p, c_ulong, c_ulong, c_ulong, c_int, c_int, c_char_p, c_int]
    x.XFlush.argtypes = [c_void_p]
    x.XPending.argtypes = [c_void_p]
    x.XNextEvent.argtypes = [c_void_p, POINTER(Event)]
    return x


class DragFailed(Exception):
    pass


def drag(px, py, uris):
    x = load_x11()
    data = "".join(uri + "\r\n" for uri in uris).encode("ascii")
    display = x.XOpenDisplay(None)
    if not display:
        raise DragFailed("no X display")
    atom = lambda name: x.XInternAtom(display, name.encode(), 0)
    aware, uri_list, selection = atom("XdndAware"), atom("text/uri-list"), atom("XdndSelection")
    root = x.XDefaultRootWindow(display)

    # The innermost window at the point that takes drops.
    target, inside = 0, root
    while True:
        dx, dy, child = c_int(), c_int(), c_ulong()
        x.XTranslateCoordinates(display, root, inside, px, py, byref(dx), byref(dy), byref(child))
        if not child.value:
            break
        inside = child.value
        kind, size, count, left = c_ulong(), c_int(), c_ulong(), c_ulong()
        value = POINTER(c_ubyte)()
        x.XGetWindowProperty(display, inside, aware, 0, 1, 0, 0, byref(kind), byref(size), byref(count),
                             byref(left), byref(value))
        if value:
            x.XFree(value)
        if count.value:
            target = inside
    if not target:
        raise DragFailed("no window that takes drops at %d,%d" % (px, py))

    source = x.XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0)
    x.XSetSelectionOwner(display, selection, source, 0)

    def send(name, *values):
        event = Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = target
        event.client.message_type = atom(name)
        event.client.format = 32
        event.client.l[0] = source
        for i, value in enumerate(values, start=1):
            event.client.l[i] = value
        x.XSendEvent(display, target, 0, 0, byref(event))
        x.XFlush(display)

    send("XdndEnter", XDND_VERSION << 24, uri_list, 0, 0)
    send("XdndPosition", 0, (px << 16) | py, 0, atom("XdndActionCopy"))
    dropped = False
    end = time.monotonic() + TIMEOUT_S
    while time.monotonic() < end:
        if not x.XPending(display):
            time.sleep(0.02)
            continue
        event = Event()
        x.XNextEvent(display, byref(event))
        if event.type == SELECTION_REQUEST:
            request = event.request
            reply = Event()
            reply.notify.type = SELECTION_NOTIFY
            reply.notify.requestor = request.requestor
            reply.notify.selection = request.selection
            reply.notify.target = request.target
            reply.notify.time = request.time
            reply.notify.property = 0
            if request.target == uri_list:
                x.XChangeProperty(display, request.requestor, request.property, uri_list, 8, 0, data, len(data))
                reply.notify.property = request.property
            x.XSendEvent(display, request.requestor, 0, 0, byref(reply))
            x.XFlush(display)
        elif event.type == CLIENT_MESSAGE and event.client.message_type == atom("XdndStatus"):
            if not event.client.l[1] & 1:
                send("XdndLeave", 0, 0, 0, 0)
                raise DragFailed("the window at %d,%d refuses the drop" % (px, py))
            if not dropped:
                send("XdndDrop", 0, 0, 0, 0)
                dropped = True
        elif event.type == CLIENT_MESSAGE and event.client.message_type == atom("XdndFinished"):
            return
    raise DragFailed("the drop did not finish within %d s" % TIMEOUT_S)


def main():
    if len(sys.argv) < 5:
        print("usage: xdnd_drag.py STATUS X Y URI...", file=sys.stderr)
        return 2
    try:
        drag(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:])
        status = "0 dropped"
    except Exception as error:  # every failure is told in the status file
        status = "1 " + str(error)
    # Written whole before it appears under its name: the test reads it as soon as it is there.
    with open(sys.argv[1] + ".new", "w", encoding="utf-8") as out:
        out.write(status)
    os.replace(sys.argv[1] + ".new", sys.argv[1])
    return 0 if status.startswith("0") else 1


if __name__ == "__main__":
    sys.exit(main())
