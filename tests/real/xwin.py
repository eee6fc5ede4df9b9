#!/usr/bin/env python3
"""Two X11 chores the shell tools here lack, done through libX11 directly.

  xwin.py close WINDOW
      Asks a window to close the way a window manager's close box does, with a
      WM_DELETE_WINDOW message. The tests run without a window manager, and
      destroying the window outright would leave its program running.

  xwin.py time-map TITLE TIMEOUT PROGRAM [ARGS...]
      Starts PROGRAM, waits for a top-level window titled TITLE to be mapped,
      prints the milliseconds from launch to that map, then closes the window
      and waits for PROGRAM to end. Fails if no such window maps within TIMEOUT
      seconds or if PROGRAM ends with a status other than 0.

WINDOW is decimal or 0x hex; DISPLAY names the X server.
"""
import ctypes
import ctypes.util
import select
import subprocess
import sys
import time

MAP_NOTIFY = 19
CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

c_int, c_long, c_ulong, c_void_p = ctypes.c_int, ctypes.c_long, ctypes.c_ulong, ctypes.c_void_p


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong), ("message_type", c_ulong), ("format", c_int), ("data", c_long * 5)]


class MapEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("event", c_ulong), ("window", c_ulong), ("override_redirect", c_int)]


class Event(ctypes.Union):
    # XEvent is padded to 24 longs whatever its kind
    _fields_ = [("type", c_int), ("client", ClientMessageEvent), ("map", MapEvent), ("pad", c_long * 24)]


def fail(message):
    sys.exit(f"xwin.py: {message}")


def load_x11():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    signatures = {
        "XOpenDisplay": (c_void_p, [ctypes.c_char_p]),
        "XCloseDisplay": (c_int, [c_void_p]),
        "XDefaultRootWindow": (c_ulong, [c_void_p]),
        "XConnectionNumber": (c_int, [c_void_p]),
        "XInternAtom": (c_ulong, [c_void_p, ctypes.c_char_p, c_int]),
        "XSelectInput": (c_int, [c_void_p, c_ulong, c_long]),
        "XSendEvent": (c_int, [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(Event)]),
        "XSync": (c_int, [c_void_p, c_int]),
        "XPending": (c_int, [c_void_p]),
        "XNextEvent": (c_int, [c_void_p, ctypes.POINTER(Event)]),
        "XFetchName": (c_int, [c_void_p, c_ulong, ctypes.POINTER(ctypes.c_char_p)]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(x11, name)
        function.restype, function.argtypes = result, arguments
    return x11


def open_display(x11):
    display = x11.XOpenDisplay(None)
    if not display:
        fail("cannot open the display")
    return display


def send_close(x11, display, window):
    event = Event()
    event.client.type = CLIENT_MESSAGE
    event.client.window = window
    event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.client.data[1] = 0  # CurrentTime
    if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        fail("the close message could not be sent")
    x11.XSync(display, 0)


def window_title(x11, display, window):
    # XFetchName's string is left to the process end; this runs a few times only
    name = ctypes.c_char_p()
    if not x11.XFetchName(display, window, ctypes.byref(name)) or name.value is None:
        return None
    return name.value.decode("latin-1")


def close(argv):
    if len(argv) != 1:
        fail(__doc__)
    x11 = load_x11()
    display = open_display(x11)
    send_close(x11, display, int(argv[0], 0))
    x11.XCloseDisplay(display)


def time_map(argv):
    if len(argv) < 3:
        fail(__doc__)
    title, timeout, command = argv[0], float(argv[1]), argv[2:]
    x11 = load_x11()
    display = open_display(x11)
    # Listening before the launch, so the map cannot be missed.
    x11.XSelectInput(display, x11.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    x11.XSync(display, 0)
    connection = x11.XConnectionNumber(display)

    start = time.perf_counter()
    program = subprocess.Popen(command, stdin=subprocess.DEVNULL)
    deadline = start + timeout
    event = Event()
    window = None
    while window is None:
        while window is None and x11.XPending(display):
            x11.XNextEvent(display, ctypes.byref(event))
            if event.type == MAP_NOTIFY and not event.map.override_redirect:
                mapped = time.perf_counter()
                if window_title(x11, display, event.map.window) == title:
                    window = event.map.window
        if window is not None:
            break
        left = deadline - time.perf_counter()
        if left <= 0 or program.poll() is not None:
            program.kill()
            program.wait()
            fail(f"no window titled {title!r} mapped within {timeout:g} s of starting {command[0]}")
        select.select([connection], [], [], min(left, 0.05))

    print(f"{(mapped - start) * 1000:.1f}", flush=True)
    send_close(x11, display, window)
    x11.XCloseDisplay(display)
    try:
        status = program.wait(timeout=max(deadline - time.perf_counter(), 5))
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()
        fail(f"{command[0]} did not end after its window was closed")
    if status != 0:
        fail(f"{command[0]} ended with status {status}")


def main():
    commands = {"close": close, "time-map": time_map}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        fail(__doc__)
    commands[sys.argv[1]](sys.argv[2:])


if __name__ == "__main__":
    main()
