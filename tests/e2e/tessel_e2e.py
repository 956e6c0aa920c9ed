#!/usr/bin/env python3
"""Works the real tessel binary on an Xvfb display with xdotool, as a person would: one round by
keyboard, one by mouse, as cases/rounds.json lays them out; TESSEL.INI is read back through tessel-ini
after every step, every window saved as a screenshot. No window manager runs: windows get the keyboard
with `xdotool windowfocus`. Arguments: the directories of tessel and tessel-ini and of the sample files,
the sample TESSEL.INI, the directory for the screenshots. Exits with 77 without Xvfb, xdotool, import."""

import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

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
        inked = [any(min(self.colour(x, y)) < 160 for x in range(left, left + width)) for y in range(top, top + height)]
        return [top + (first + last) // 2 for first, last in bands(inked)]


def bands(marks):
    """(first, last) index of each run of true values."""
    edges = [i for i, (before, now) in enumerate(zip([False, *marks], [*marks, False])) if before != now]
    return list(zip(edges[::2], [end - 1 for end in edges[1::2]]))


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


MAIN, CHOOSER, OPTIONS, QUESTION = "VelumGIS Datasource Registration", "New Data Source", "Options", "Tessel"
# The dialogs in the order of the type chooser, as the sample SRCS.INI lists them.
TITLES = {"native": "Configure Native Data Source", "raster": "Configure Native Raster Data Source",
          "demand": "Configure Demand Load Datasource", "odbc": "ODBC Config"}
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases", "rounds.json")) as rounds_file:
    ROUNDS = json.load(rounds_file)
# Each control's place in pixels: left, top, width, height.
CONTROLS = {name: [round(value / 15) for value in (left + sum(frame[:1]), top + sum(frame[1:]), width, height)]
            for name, (left, top, width, height, *frame) in ROUNDS["controls"].items()}


def centre(control):
    return control[0] + control[2] // 2, control[1] + control[3] // 2


class Session:
    """The tessel process on the display, its registry read through tessel-ini,
    and a person who works it by keyboard alone or by mouse."""

    def __init__(self, desktop, bin_dir, app_dir, runtime_dir):
        self.desktop, self.bin_dir, self.mouse, self.prefix = desktop, bin_dir, False, "start"
        self.registry, self.dld = os.path.join(app_dir, "TESSEL.INI"), os.path.join(app_dir, "SAMPLE.DLD")
        self.process = subprocess.Popen([os.path.join(app_dir, "tessel")], cwd=app_dir,
                                        env=dict(desktop.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime_dir))
        self.main = self.window(MAIN, "main-window")

    def window(self, title, shot):
        """Waits for the window, gives it the keyboard and photographs it."""
        window = wait_until(lambda: self.desktop.find_window(title), "window '%s'" % title)
        self.desktop.focus(window)
        self.desktop.screenshot("%s-%s" % (self.prefix, shot))
        return window

    def ini(self, *args):
        result = subprocess.run([os.path.join(self.bin_dir, "tessel-ini"), args[0], self.registry, *args[1:]],
                                capture_output=True, check=True, timeout=30)
        return result.stdout.decode().splitlines()

    def record(self, name):
        if name in self.ini("sections"):
            return [(key, self.ini("get", name, key)[0]) for key in self.ini("keys", name)]

    def records(self):
        return {name: self.record(name) for name in self.ini("sections")}

    def expect(self, name, record, what):
        record = record and [(key, value.replace("{dld}", self.dld)) for key, value in record.items()]
        wait_until(lambda: self.record(name) == record, "%s: %s, [%s] as %s" % (self.prefix, what, name, record))

    def round(self, prefix):
        """Per type: create a record, rename and change it, delete it; then
        open and close the ODBC notice of a new and of an existing record."""
        self.prefix, self.mouse = prefix, prefix == "mouse"
        for kind in ROUNDS[prefix]:
            name = kind["name"]
            self.do(kind["type"], self.open_new(kind["type"]), kind["new"])
            self.expect(name, kind["saved"], "new " + name)
            self.do(kind["type"], self.open_last(kind["type"]), kind["change"])
            self.expect(name, None, name + " renamed")
            self.expect(name + "2", {**kind["saved"], **kind["changed"]}, name + " changed")
            self.desktop.focus(self.main)
            self.select_last()
            self.press("main delete", "alt+d")
            self.answer_yes(self.window(QUESTION, "delete-question"))
            self.desktop.wait_gone(QUESTION)
            self.expect(name + "2", None, name + " deleted")
        before = self.records()
        for open_notice in (self.open_new, self.open_last):
            open_notice("odbc")
            self.desktop.keys("Escape")
            self.desktop.wait_gone(TITLES["odbc"])
        if self.records() != before:
            raise AssertionError("the ODBC notice changed the registry")

    def press(self, control, keys, window=None):
        if self.mouse:
            self.desktop.click(window or self.main, *centre(CONTROLS[control]))
        else:
            self.desktop.keys(keys)

    def open_new(self, kind):
        self.desktop.focus(self.main)
        self.press("main new", "alt+n")
        chooser = self.window(CHOOSER, "new-data-source")
        row = list(TITLES).index(kind)
        if self.mouse:
            self.click_row(chooser, "chooser list", row)
        else:   # the first arrow key selects the row that holds the focus mark
            self.desktop.keys(*["Down"] * (row + 1))
        self.press("chooser ok", "alt+o", chooser)
        return self.window(TITLES[kind], "new-" + kind)

    def open_last(self, kind):
        self.desktop.focus(self.main)
        self.select_last()
        self.press("main configure", "alt+u")
        return self.window(TITLES[kind], "configure-" + kind)

    def do(self, kind, window, steps):
        """Works through the steps in the window of kind, then presses its OK."""
        for step in steps:
            if isinstance(step, str) and step.startswith("="):
                self.desktop.type(step[1:].replace("{dld}", self.dld))
            elif isinstance(step, str):
                self.desktop.keys(*step.split())
            elif step[0] == "write":   # a triple click selects the box's text
                self.desktop.click(window, *centre(CONTROLS[step[1]]), repeat=3)
                self.desktop.type(step[2].replace("{dld}", self.dld))
            elif step[0] == "tick":   # where a check box or option button has its box or dot
                control = CONTROLS[step[1]]
                self.desktop.click(window, control[0] + 7, control[1] + control[3] // 2)
            elif step[0] == "options":
                self.press(("demand" if kind == "demand" else "native") + " options", "alt+p", window)
                self.do("options", self.window(OPTIONS, "options"), step[1])
                self.desktop.focus(window)
            else:   # the entity list, opened by keys or a click, and an entity chosen by a click
                before = self.desktop.windows_of(self.process.pid)
                self.press("demand entities", step[1], window)
                popup = wait_until(lambda: self.desktop.windows_of(self.process.pid) - before, "the list").pop()
                self.desktop.screenshot("%s-entity-list" % self.prefix)
                if step[0] == "entity":
                    _, _, width, height = self.desktop.geometry(popup)
                    rows = wait_until(lambda: self.rows(popup, (0, 0, width, height))[0], "entity rows")
                    self.desktop.click(popup, width // 2, rows[step[1]])
        self.press(("native" if kind == "raster" else kind) + " ok", "alt+o", window)
        self.desktop.wait_gone(TITLES.get(kind, OPTIONS))

    def rows(self, window, area):
        """Where a list's rows are, relative to the window: the ink right of
        the icon column and left of the scroll bar."""
        area = CONTROLS.get(area, area)
        left, top, _, _ = self.desktop.geometry(window)
        inner = (left + area[0] + 24, top + area[1] + 2, area[2] - 44, area[3] - 4)
        return [y - top for y in self.desktop.pixels().text_rows(*inner)], inner

    def click_row(self, window, area, row):
        rows = wait_until(lambda: self.rows(window, area)[0], "list rows")
        self.desktop.click(window, CONTROLS[area][0] + 40, rows[row])

    def select_last(self):
        """By keyboard End; by mouse the wheel takes the list to its top, so
        that its texts change on the way to its end, where they stand still."""
        if not self.mouse:
            return self.desktop.keys("End")
        inner = self.rows(self.main, "main list")[1]

        def scroll(button, away_from=None):
            self.desktop.click(self.main, *centre(CONTROLS["main list"]), repeat=10, button=button)
            seen = [away_from]
            wait_until(lambda: seen.append(self.desktop.pixels().region(*inner)) or
                       seen[-1] != away_from and seen[-1] == seen[-2], "the list to scroll")
            return seen[-1]

        scroll(5, away_from=scroll(4))
        self.click_row(self.main, "main list", -1)

    def answer_yes(self, question):
        """By Alt+Y, or a click on the first button along the foot: up from the
        foot to the buttons' lower edge, then up to their middle."""
        if not self.mouse:
            return self.desktop.keys("alt+y")
        left, top, width, height = self.desktop.geometry(question)
        shot = self.desktop.pixels()

        def buttons(y):
            unlike = [shot.colour(x, y) != shot.colour(left + 1, top + 1) for x in range(left, left + width)]
            return [(left + first, left + last) for first, last in bands(unlike) if last - first > 30]

        middle = next(y for y in range(top + height - 1, top, -1) if buttons(y)) - 8
        start, end = buttons(middle)[0]
        self.desktop.click(question, (start + end) // 2 - left, middle - top)


def main(bin_dir, data_dir, registry, output):
    missing = [name for name in ("Xvfb", "xdotool", "import") if shutil.which(name) is None]
    if missing:
        print("SKIPPED: no real display test without %s (Debian: xvfb, xdotool, imagemagick)" % missing)
        return 77
    os.makedirs(output, exist_ok=True)
    for old in glob.glob(os.path.join(output, "*.png")):
        os.remove(old)
    with tempfile.TemporaryDirectory(prefix="tessel-e2e-") as work, VirtualDisplay() as display:
        app_dir, runtime_dir = os.path.join(work, "app"), os.path.join(work, "runtime")
        os.mkdir(runtime_dir, 0o700)
        os.mkdir(app_dir)
        for name in ("SRCS.INI", "LANGUAGE.INI", "TESSEL.LRT", "SAMPLE.DLD"):
            shutil.copy2(os.path.join(data_dir, name), app_dir)
        shutil.copy2(os.path.join(bin_dir, "tessel"), app_dir)
        shutil.copy2(registry, os.path.join(app_dir, "TESSEL.INI"))
        desktop = Desktop(display.name, output)
        tessel = Session(desktop, bin_dir, app_dir, runtime_dir)
        sample = tessel.records()
        try:
            tessel.round("keyboard")
            tessel.round("mouse")
            desktop.focus(tessel.main)
            desktop.keys("alt+c")
            wait_until(lambda: tessel.process.poll() is not None, "tessel to end")
            if tessel.process.returncode != 0 or tessel.records() != sample:
                raise AssertionError("tessel ended with %d; the registry: %s" % (tessel.process.returncode,
                                                                                 tessel.records()))
        except BaseException:
            print("failed; the screen now: " + desktop.screenshot("failure"))
            raise
        finally:
            tessel.process.kill()
            tessel.process.wait()
    print("screenshots: " + output)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
