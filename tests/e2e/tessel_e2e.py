#!/usr/bin/env python3
"""Works the real tessel binary on a real X server, as a person would.

One round with the keyboard alone, then one with the mouse, each of which
creates, renames and changes, and deletes a record of every type that has a
configuration dialog, and opens and closes the notice of the ODBC type; after
every step TESSEL.INI is read back through tessel-ini. Every window that opens
is saved as a PNG screenshot. The program runs from a copy of its application
directory, so the build's sample registry is never touched. Exits with 77
(skipped) when Xvfb, xdotool or ImageMagick is missing.
"""

import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

from xdesktop import Desktop, VirtualDisplay, missing_programs, wait_until

MAIN, CHOOSER, OPTIONS, QUESTION = "VelumGIS Datasource Registration", "New Data Source", "Options", "Tessel"
# The dialogs in the order of the type chooser, as the sample SRCS.INI lists them.
TITLES = {"native": "Configure Native Data Source", "raster": "Configure Native Raster Data Source",
          "demand": "Configure Demand Load Datasource", "odbc": "ODBC Config"}
ENTITIES = ("PARCELS", "WATER MAINS", "Main Roads", "ROADS", "ROADS")   # of the sample DLD file
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases", "rounds.json")) as rounds_file:
    ROUNDS = json.load(rounds_file)
# Each control's place in pixels: left, top, width, height.
CONTROLS = {name: [round(value / 15) for value in (place[0] + sum(place[4:5]), place[1] + sum(place[5:6]),
                                                   place[2], place[3])]
            for name, place in ROUNDS["controls"].items()}


def centre(control):
    return control[0] + control[2] // 2, control[1] + control[3] // 2


class Tessel:
    """The tessel process on the display, its registry read through tessel-ini."""

    def __init__(self, desktop, bin_dir, app_dir, runtime_dir):
        self.desktop, self.bin_dir, self.app_dir = desktop, bin_dir, app_dir
        self.registry = os.path.join(app_dir, "TESSEL.INI")
        self.dld = os.path.join(app_dir, "SAMPLE.DLD")
        self.process = subprocess.Popen([os.path.join(app_dir, "tessel")], cwd=app_dir,
                                        env=dict(desktop.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime_dir))
        self.main = self.window(MAIN, "main-window")

    def window(self, title, shot):
        """Waits for the window, gives it the keyboard and photographs it."""
        window = self.desktop.wait_window(title)
        self.desktop.focus(window)
        self.desktop.screenshot(shot)
        return window

    def ini(self, *args):
        result = subprocess.run([os.path.join(self.bin_dir, "tessel-ini"), args[0], self.registry, *args[1:]],
                                capture_output=True, check=True, timeout=30)
        return result.stdout.decode().splitlines()

    def record(self, name):
        if name not in self.ini("sections"):
            return None
        return [(key, self.ini("get", name, key)[0]) for key in self.ini("keys", name)]

    def records(self):
        return {name: self.record(name) for name in self.ini("sections")}

    def expect(self, name, record, what):
        record = record and [(key, value.replace("{dld}", self.dld)) for key, value in record.items()]
        try:
            wait_until(lambda: self.record(name) == record, what)
        except AssertionError as failure:
            raise AssertionError("%s\n  expected [%s] %s\n  found %s" % (failure, name, record, self.record(name)))


class Round:
    """Per type: create a record, rename and change it, delete it; then open
    and close the ODBC notice of a new and of an existing record."""

    def __init__(self, tessel, prefix):
        self.tessel, self.desktop, self.prefix = tessel, tessel.desktop, prefix

    def shot(self, what):
        return "%s-%s" % (self.prefix, what)

    def run(self):
        for kind in ROUNDS[self.prefix]:
            name = kind["name"]
            self.do(kind["type"], self.open_new(kind["type"]), kind["new"])
            self.tessel.expect(name, kind["saved"], "%s: new %s" % (self.prefix, name))
            self.do(kind["type"], self.open_last(kind["type"]), kind["change"])
            self.tessel.expect(name, None, "%s: %s renamed" % (self.prefix, name))
            self.tessel.expect(name + "2", {**kind["saved"], **kind["changed"]}, "%s: %s changed" % (self.prefix, name))
            self.desktop.focus(self.tessel.main)
            self.select_last()
            self.delete()
            self.desktop.wait_gone(QUESTION)
            self.tessel.expect(name + "2", None, "%s: %s deleted" % (self.prefix, name))
        before = self.tessel.records()
        for open_notice in (self.open_new, self.open_last):
            open_notice("odbc")
            self.desktop.keys("Escape")
            self.desktop.wait_gone(TITLES["odbc"])
        if self.tessel.records() != before:
            raise AssertionError("the ODBC notice changed the registry")

    def open_new(self, kind):
        self.desktop.focus(self.tessel.main)
        self.press("main new", "alt+n")
        chooser = self.tessel.window(CHOOSER, self.shot("new-data-source"))
        self.choose(chooser, list(TITLES).index(kind))
        return self.tessel.window(TITLES[kind], self.shot("new-" + kind))

    def open_last(self, kind):
        self.desktop.focus(self.tessel.main)
        self.select_last()
        self.press("main configure", "alt+u")
        return self.tessel.window(TITLES[kind], self.shot("configure-" + kind))

    def do(self, kind, window, steps):
        """Works through the steps in the window of kind, then presses its OK."""
        for step in steps:
            if isinstance(step, str) and step.startswith("="):
                self.desktop.type(step[1:].replace("{dld}", self.tessel.dld))
            elif isinstance(step, str):
                self.desktop.keys(*step.split())
            elif step[0] == "write":   # a triple click selects the box's text
                self.desktop.click(window, *centre(CONTROLS[step[1]]), repeat=3)
                self.desktop.type(step[2].replace("{dld}", self.tessel.dld))
            elif step[0] == "tick":   # where a check box or option button has its box or dot
                control = CONTROLS[step[1]]
                self.desktop.click(window, control[0] + 7, control[1] + control[3] // 2)
            elif step[0] == "options":
                self.press(("demand" if kind == "demand" else "native") + " options", "alt+p", window)
                self.do("options", self.tessel.window(OPTIONS, self.shot("options")), step[1])
                self.desktop.focus(window)
            else:
                self.entity(step)
        self.press(("native" if kind == "raster" else kind) + " ok", "alt+o", window)
        self.desktop.wait_gone(TITLES.get(kind, OPTIONS))

    def popup(self, action):
        """Runs action and gives the pop-up window it opens."""
        before = self.desktop.windows_of(self.tessel.process.pid)
        action()
        popup = wait_until(lambda: self.desktop.windows_of(self.tessel.process.pid) - before, "a pop-up").pop()
        self.desktop.screenshot(self.shot("entity-list"))
        return popup


class KeyboardRound(Round):
    """Access keys, Tab, Space and arrow keys only."""

    def __init__(self, tessel):
        super().__init__(tessel, "keyboard")

    def press(self, control, keys, window=None):
        self.desktop.keys(keys)

    def choose(self, chooser, row):
        # The first arrow key selects the row that holds the focus mark.
        self.desktop.keys(*["Down"] * (row + 1), "alt+o")

    def select_last(self):
        self.desktop.keys("End")

    def delete(self):
        self.desktop.keys("alt+d")
        self.tessel.window(QUESTION, self.shot("delete-question"))
        self.desktop.keys("alt+y")

    def entity(self, step):
        self.popup(lambda: self.desktop.keys(step[1]))


class MouseRound(Round):
    """Clicks where the designs place the controls; text is typed."""

    def __init__(self, tessel):
        super().__init__(tessel, "mouse")

    def press(self, control, keys, window=None):
        self.desktop.click(window or self.tessel.main, *centre(CONTROLS[control]))

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

    def choose(self, chooser, row):
        self.click_row(chooser, "chooser list", row)
        self.press("chooser ok", None, chooser)

    def select_last(self):
        """The wheel takes the list to its top, so that its texts change on
        the way to its end; once they stand still again, it is there."""
        inner = self.rows(self.tessel.main, "main list")[1]

        def scroll(button, away_from=None):
            self.desktop.click(self.tessel.main, *centre(CONTROLS["main list"]), repeat=10, button=button)
            seen = [away_from]
            wait_until(lambda: seen.append(self.desktop.pixels().region(*inner)) or
                       seen[-1] != away_from and seen[-1] == seen[-2], "the list to scroll")
            return seen[-1]

        scroll(5, away_from=scroll(4))
        self.click_row(self.tessel.main, "main list", -1)

    def delete(self):
        self.press("main delete", None)
        question = self.tessel.window(QUESTION, self.shot("delete-question"))
        # Yes is the first button along the foot: up from the foot to the
        # buttons' lower edge, then up to their middle.
        left, top, width, height = self.desktop.geometry(question)
        shot = self.desktop.pixels()

        def buttons(y):
            runs, start = [], None
            for x in range(left, left + width + 1):
                if x < left + width and shot.colour(x, y) != shot.colour(left + 1, top + 1):
                    start = x if start is None else start
                elif start is not None:
                    runs, start = runs + [(start, x - 1)] * (x - 1 - start > 30), None
            return runs

        middle = next(y for y in range(top + height - 1, top, -1) if buttons(y)) - 8
        start, end = buttons(middle)[0]
        self.desktop.click(question, (start + end) // 2 - left, middle - top)

    def entity(self, step):
        popup = self.popup(lambda: self.press("demand entities", None, self.desktop.find_window(TITLES["demand"])))
        _, _, width, height = self.desktop.geometry(popup)
        rows = wait_until(lambda: self.rows(popup, (0, 0, width, height))[0], "entity rows")
        self.desktop.click(popup, width // 2, rows[ENTITIES.index(step[1])])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--bin-dir", "--data-dir", "--registry", "--output"):
        parser.add_argument(option, required=True)
    arguments = parser.parse_args()
    if missing_programs():
        print("SKIPPED: no real display test without %s (Debian packages xvfb, xdotool, imagemagick)"
              % ", ".join(missing_programs()))
        return 77
    os.makedirs(arguments.output, exist_ok=True)
    for old in glob.glob(os.path.join(arguments.output, "*.png")):
        os.remove(old)
    with tempfile.TemporaryDirectory(prefix="tessel-e2e-") as work, VirtualDisplay() as display:
        app_dir, runtime_dir = os.path.join(work, "app"), os.path.join(work, "runtime")
        os.mkdir(app_dir)
        os.mkdir(runtime_dir, 0o700)
        shutil.copy2(os.path.join(arguments.bin_dir, "tessel"), app_dir)
        for name in ("SRCS.INI", "LANGUAGE.INI", "TESSEL.LRT", "SAMPLE.DLD"):
            shutil.copy2(os.path.join(arguments.data_dir, name), app_dir)
        shutil.copy2(arguments.registry, os.path.join(app_dir, "TESSEL.INI"))
        desktop = Desktop(display.name, arguments.output)
        tessel = Tessel(desktop, arguments.bin_dir, app_dir, runtime_dir)
        sample = tessel.records()
        try:
            KeyboardRound(tessel).run()
            MouseRound(tessel).run()
            desktop.focus(tessel.main)
            desktop.keys("alt+c")
            wait_until(lambda: tessel.process.poll() is not None, "tessel to end")
            if tessel.process.returncode != 0 or tessel.records() != sample:
                raise AssertionError("tessel ended with %d; the registry now: %s"
                                     % (tessel.process.returncode, tessel.records()))
        except BaseException:
            print("failed; the screen now: " + desktop.screenshot("failure"))
            raise
        finally:
            tessel.process.kill()
            tessel.process.wait()
    print("screenshots: " + arguments.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
