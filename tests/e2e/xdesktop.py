"""A private X display and the hands of a person in front of it.

Xvfb is started on a display number it picks itself; xdotool types, presses
keys and moves the mouse; ImageMagick's import takes the screenshots. There is
no window manager: windows are given the keyboard focus with
`xdotool windowfocus`, and a close request is sent as a window manager sends
it (WM_DELETE_WINDOW), which is what Alt+F4 or a close box would do.
"""

import ctypes
import ctypes.util
import os
import shutil
import subprocess
import time

REQUIRED_PROGRAMS = ("Xvfb", "xdotool", "import")
SCREEN = "1024x768x24"


class WaitTimedOut(AssertionError):
    """A condition the test waited for did not come about."""


def missing_programs():
    return [program for program in REQUIRED_PROGRAMS if shutil.which(program) is None]


def wait_until(condition, what, timeout=30.0, interval=0.05):
    """Polls condition until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise WaitTimedOut("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class VirtualDisplay:
    """An Xvfb server on a free display, stopped when the block ends."""

    def __init__(self):
        self.process = None
        self.name = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class Screenshot:
    """The screen's pixels, read from a PPM that import wrote."""

    def __init__(self, ppm):
        header, offset = [], 0
        while len(header) < 4:
            end = ppm.index(b"\n", offset)
            line = ppm[offset:end]
            offset = end + 1
            if not line.startswith(b"#"):
                header.extend(line.split())
        if header[0] != b"P6" or header[3] != b"255":
            raise ValueError("unexpected screenshot format")
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = ppm[offset:]

    def colour(self, x, y):
        index = 3 * (y * self.width + x)
        return tuple(self.pixels[index:index + 3])

    def runs_unlike(self, colour, left, y, width):
        """(start, end) of the runs of pixels on line y that differ from colour."""
        runs, start = [], None
        for x in range(left, left + width + 1):
            differs = x < left + width and self.colour(x, y) != colour
            if differs and start is None:
                start = x
            elif not differs and start is not None:
                runs.append((start, x - 1))
                start = None
        return runs

    def region(self, left, top, width, height):
        """The pixels of a rectangle, to tell whether it has changed."""
        return b"".join(self.pixels[3 * (y * self.width + left):3 * (y * self.width + left + width)]
                        for y in range(top, top + height))

    def is_dark(self, x, y):
        """True for ink or a highlight, false for a light background."""
        index = 3 * (y * self.width + x)
        return min(self.pixels[index:index + 3]) < 160

    def text_rows(self, left, top, width, height):
        """Vertical centres (screen y) of the runs of lines that hold ink."""
        rows, start = [], None
        for y in range(top, top + height + 1):
            inked = y < top + height and any(
                self.is_dark(x, y) for x in range(left, left + width))
            if inked and start is None:
                start = y
            elif not inked and start is not None:
                rows.append((start + y - 1) // 2)
                start = None
        return rows


class Desktop:
    """xdotool and import on one display."""

    def __init__(self, display, screenshot_dir):
        self.env = dict(os.environ, DISPLAY=display)
        self.display = display
        self.screenshot_dir = screenshot_dir
        self.shots = 0

    def xdotool(self, *args, timeout=30):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=timeout,
                                capture_output=True, text=True)
        if result.returncode not in (0, 1):
            raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, args)), result.stderr))
        return result.stdout

    def windows_of(self, pid):
        return set(self.xdotool("search", "--onlyvisible", "--pid", pid).split())

    def find_window(self, title):
        found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
        return found[0] if found else None

    def wait_window(self, title, timeout=30):
        return wait_until(lambda: self.find_window(title), "window '%s'" % title, timeout)

    def wait_gone(self, title, timeout=30):
        wait_until(lambda: self.find_window(title) is None, "window '%s' to close" % title, timeout)

    def geometry(self, window):
        """Position and size of a window, in screen pixels."""
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getwindowgeometry", "--shell", window).split())
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def keys(self, *keys):
        """Presses keys one after the other, e.g. "alt+n", "Tab", "space"."""
        self.xdotool("key", "--clearmodifiers", "--delay", 40, *keys)

    def type(self, text):
        self.xdotool("type", "--clearmodifiers", "--delay", 25, text)

    def pointer(self):
        """Where the mouse pointer is, in screen pixels."""
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getmouselocation", "--shell").split())
        return int(values["X"]), int(values["Y"])

    def click(self, window, x, y, repeat=1, button=1):
        """Clicks at x, y relative to window's top left corner."""
        left, top, _, _ = self.geometry(window)
        # mousemove --sync waits for the pointer to move: where it is there
        # already, xdotool waits some 15 s before it gives up and goes on.
        if self.pointer() != (left + x, top + y):
            self.xdotool("mousemove", "--window", window, "--sync", x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def pixels(self):
        grabbed = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                                 capture_output=True, check=True, timeout=60)
        return Screenshot(grabbed.stdout)

    def screenshot(self, name):
        """Saves the whole screen as a numbered PNG; returns its path."""
        self.shots += 1
        path = os.path.join(self.screenshot_dir, "%02d-%s.png" % (self.shots, name))
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       timeout=60)
        return path

    def request_close(self, window):
        """Asks a window to close, as a window manager does for its close box."""
        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                    ctypes.c_long, ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        connection = xlib.XOpenDisplay(self.display.encode())
        if not connection:
            raise RuntimeError("cannot open display " + self.display)
        try:
            event = _ClientMessageEvent()
            event.type = _CLIENT_MESSAGE
            event.window = int(window)
            event.message_type = xlib.XInternAtom(connection, b"WM_PROTOCOLS", False)
            event.format = 32
            event.data[0] = xlib.XInternAtom(connection, b"WM_DELETE_WINDOW", False)
            xlib.XSendEvent(connection, int(window), False, 0, ctypes.byref(event))
            xlib.XFlush(connection)
        finally:
            xlib.XCloseDisplay(connection)


_CLIENT_MESSAGE = 33


class _ClientMessageEvent(ctypes.Structure):
    # XClientMessageEvent, padded to the size of an XEvent (24 longs).
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                ("pad", ctypes.c_long * 12)]
