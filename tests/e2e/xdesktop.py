"""A private X display and the hands of a person in front of it.

Xvfb picks its own display number; xdotool types, presses keys and moves the
mouse; ImageMagick's import takes the screenshots. No window manager runs:
windows get the keyboard with `xdotool windowfocus`.
"""

import os
import shutil
import subprocess
import time


def missing_programs():
    return [name for name in ("Xvfb", "xdotool", "import") if shutil.which(name) is None]


def wait_until(condition, what, timeout=30.0):
    """Polls condition until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(0.05)
    return result


class VirtualDisplay:
    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            self.name = ":" + announced.readline().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


class Screenshot:
    """The screen's pixels, from the PPM that import writes: P6, size, 255, pixels."""

    def __init__(self, ppm):
        _, size, _, self.pixels = ppm.split(b"\n", 3)
        self.width = int(size.split()[0])

    def colour(self, x, y):
        return self.pixels[3 * (y * self.width + x):3 * (y * self.width + x) + 3]

    def region(self, left, top, width, height):
        return b"".join(self.pixels[3 * (y * self.width + left):3 * (y * self.width + left + width)]
                        for y in range(top, top + height))

    def text_rows(self, left, top, width, height):
        """Screen y of the middle of each band of lines that hold ink."""
        inked = [any(min(self.colour(x, y)) < 160 for x in range(left, left + width))
                 for y in range(top, top + height)] + [False]
        starts = [y for y in range(len(inked) - 1) if inked[y] and (y == 0 or not inked[y - 1])]
        ends = [y for y in range(len(inked) - 1) if inked[y] and not inked[y + 1]]
        return [top + (start + end) // 2 for start, end in zip(starts, ends)]


class Desktop:
    def __init__(self, display, screenshot_dir):
        self.env = dict(os.environ, DISPLAY=display)
        self.screenshot_dir = screenshot_dir
        self.shots = 0

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=30,
                                capture_output=True, text=True)
        if result.returncode not in (0, 1):
            raise RuntimeError("xdotool %s: %s" % (" ".join(map(str, args)), result.stderr))
        return result.stdout

    def find_window(self, title):
        found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
        return found[0] if found else None

    def windows_of(self, pid):
        return set(self.xdotool("search", "--onlyvisible", "--pid", pid).split())

    def wait_window(self, title):
        return wait_until(lambda: self.find_window(title), "window '%s'" % title)

    def wait_gone(self, title):
        wait_until(lambda: self.find_window(title) is None, "window '%s' to close" % title)

    def shell_values(self, command, *args):
        return dict(line.split("=") for line in self.xdotool(command, "--shell", *args).split())

    def geometry(self, window):
        values = self.shell_values("getwindowgeometry", window)
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def keys(self, *keys):
        self.xdotool("key", "--clearmodifiers", "--delay", 40, *keys)

    def type(self, text):
        self.xdotool("type", "--clearmodifiers", "--delay", 25, text)

    def click(self, window, x, y, repeat=1, button=1):
        """Clicks at x, y from the window's top left corner."""
        left, top, _, _ = self.geometry(window)
        pointer = self.shell_values("getmouselocation")
        # mousemove --sync waits some 15 s when the pointer is there already.
        if (int(pointer["X"]), int(pointer["Y"])) != (left + x, top + y):
            self.xdotool("mousemove", "--window", window, "--sync", x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def pixels(self):
        grabbed = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                                 env=self.env, capture_output=True, check=True, timeout=60)
        return Screenshot(grabbed.stdout)

    def screenshot(self, name):
        self.shots += 1
        path = os.path.join(self.screenshot_dir, "%02d-%s.png" % (self.shots, name))
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=60)
        return path
