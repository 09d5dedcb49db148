#!/usr/bin/env python3
"""Asks an X window to close, as a window manager's close button does (WM_DELETE_WINDOW).

Usage: xclose.py <window id>. Used under Xvfb, where no window manager runs."""
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class CM(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", CM), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
w = int(sys.argv[1])
ev = XEvent()
ev.xclient.type = 33
ev.xclient.window = w
ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
ev.xclient.format = 32
ev.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x.XSendEvent(d, w, 0, 0, ctypes.byref(ev))
x.XFlush.argtypes=[ctypes.c_void_p]; x.XFlush(d)
