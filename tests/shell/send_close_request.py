#!/usr/bin/python3
"""Sends a window the close request a window manager sends (WM_DELETE_WINDOW).

Usage: send_close_request.py WINDOW_ID   (DISPLAY names the X server)
xdotool has no way to send it; python3-xlib does it in a few lines.
"""
import sys

from Xlib import X, display
from Xlib.protocol import event


def main():
    window_id = int(sys.argv[1], 0)
    d = display.Display()
    window = d.create_resource_object("window", window_id)
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    message = event.ClientMessage(window=window, client_type=protocols,
                                  data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    d.flush()
    d.close()


if __name__ == "__main__":
    main()
