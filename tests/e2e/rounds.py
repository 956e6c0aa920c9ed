"""The rounds a person works through Tessel, by keyboard and by mouse."""

import os
import subprocess
import time

from designs import (CHOOSER_LIST, CHOOSER_OK, MAIN_CONFIGURE, MAIN_CLOSE, MAIN_DELETE,
                     MAIN_LIST, MAIN_NEW, DemandDesign, NativeDesign, OptionsDesign, Place)
from registry_check import saved_record
from xdesktop import wait_until

MAIN = "VelumGIS Datasource Registration"
CHOOSER = "New Data Source"
NATIVE = "Configure Native Data Source"
RASTER = "Configure Native Raster Data Source"
DEMAND = "Configure Demand Load Datasource"
ODBC = "ODBC Config"
OPTIONS = "Options"
QUESTION = "Tessel"

# Rows of the type chooser, in the order of the sample SRCS.INI.
NATIVE_ROW, RASTER_ROW, DEMAND_ROW, ODBC_ROW = range(4)

WHEEL_UP, WHEEL_DOWN = 4, 5

# Entities of the sample DLD file, in file order.
ENTITIES = ("PARCELS", "WATER MAINS", "Main Roads", "ROADS", "ROADS")


class TesselUnderTest:
    """The tessel process on the display, with its registry."""

    def __init__(self, desktop, registry, app_dir, runtime_dir, title=MAIN, shot="main-window"):
        self.desktop = desktop
        self.registry = registry
        self.app_dir = app_dir
        self.env = dict(desktop.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime_dir)
        self.title = title
        self.first_shot = shot
        self.process = None
        self.main = None

    def __enter__(self):
        self.process = subprocess.Popen([os.path.join(self.app_dir, "tessel")], env=self.env,
                                        cwd=self.app_dir)
        self.main = self.window(self.title, self.first_shot)
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()

    @property
    def dld_path(self):
        return os.path.join(self.app_dir, "SAMPLE.DLD")

    def window(self, title, shot):
        """Waits for the window, gives it the keyboard and photographs it."""
        window = self.desktop.wait_window(title)
        self.desktop.focus(window)
        self.desktop.screenshot(shot)
        return window

    def focus_main(self):
        self.desktop.focus(self.main)

    def expect_ended(self):
        """Checks that the program has ended, and ended cleanly."""
        wait_until(lambda: self.process.poll() is not None, "tessel to end")
        if self.process.returncode != 0:
            raise AssertionError("tessel ended with %d" % self.process.returncode)


def native_record(record_type, description, storage, source_id, attributes, capabilities,
                  auto_connect=0, scales="0,0,0", priority=127):
    return saved_record(record_type, description, storage, 0, source_id, attributes,
                        capabilities, auto_connect, scales, priority, private=8)


def demand_record(description, connect, source_id, scales="0,0,0", priority=127):
    return saved_record(4, description, connect, 1, source_id, 1, 0, 0, scales, priority)


class AdminChanges:
    """tessel-admin imports a record and removes it again while the main
    window is open, with the first record selected: the window shows each
    change within a second, and after the removal it looks exactly as it did
    before the import, its selection and buttons included."""

    NAME = "Live Import"
    WITHIN = 1.0

    def __init__(self, tessel, admin, work_dir):
        self.tessel = tessel
        self.desktop = tessel.desktop
        self.admin = admin
        self.template = os.path.join(work_dir, "live-import.ini")

    def run(self):
        with open(self.template, "w", encoding="ascii") as template:
            template.write("[%s]\nType=1\nDescription=Imported while Tessel runs\n"
                           "Connect=LIVE\n" % self.NAME)
        self.tessel.focus_main()
        # Off the window, so that no row is drawn as hovered.
        self.desktop.xdotool("mousemove", 1023, 767)
        self.desktop.keys("End", "Home")
        before = wait_until(self.still_window, "the main window to settle")

        self.admin("import", self.template)
        shown = self.seconds_until(lambda pixels: pixels != before, "the imported record")
        self.desktop.screenshot("admin-import")
        self.admin("remove", self.NAME)
        gone = self.seconds_until(lambda pixels: pixels == before, "the removed record")
        print("tessel-admin changes shown after %.2f s (import) and %.2f s (remove)" % (shown, gone))

    def window_pixels(self):
        return self.desktop.pixels().region(*self.desktop.geometry(self.tessel.main))

    def still_window(self):
        first = self.window_pixels()
        return first if first == self.window_pixels() else None

    def seconds_until(self, condition, what):
        """Seconds from now to the first screenshot of the main window that
        meets condition; fails when none taken within WITHIN seconds does."""
        start = time.monotonic()
        while True:
            taken = time.monotonic() - start
            if condition(self.window_pixels()):
                return taken
            if taken > self.WITHIN:
                raise AssertionError("the main window did not show %s within %.1f s"
                                     % (what, self.WITHIN))


class Round:
    """Create, configure, rename and delete one record of each type."""

    prefix = ""

    def __init__(self, tessel):
        self.tessel = tessel
        self.desktop = tessel.desktop
        self.registry = tessel.registry

    def run(self):
        self.native_type()
        self.raster_type()
        self.demand_type()
        self.odbc_type()

    def close_program(self):
        self.tessel.focus_main()
        self.press_close()
        self.tessel.expect_ended()

    def shot(self, what):
        return "%s-%s" % (self.prefix, what)

    def rename_and_delete(self, title, old, new, record):
        """Renames the last record, which keeps its keys, then deletes it."""
        self.rename(title, new)
        what = "%s: %s renamed to %s" % (self.prefix, old, new)
        self.registry.expect_missing(old, what + ", old name gone")
        self.registry.expect_record(new, record, what)
        self.delete_last(new)

    def odbc_type(self):
        before = self.registry.records()
        self.open_new(ODBC_ROW, ODBC, "new-odbc")
        self.close_notice()
        self.open_last(ODBC, "configure-odbc")
        self.close_notice()
        if self.registry.records() != before:
            raise AssertionError("the ODBC notice changed the registry")

    def open_popup(self, action, shot):
        """Runs action, waits for the pop-up window it opens and photographs it."""
        pid = self.tessel.process.pid
        before = self.desktop.windows_of(pid)
        action()
        popup = wait_until(lambda: self.desktop.windows_of(pid) - before,
                           "a pop-up window to open").pop()
        self.desktop.screenshot(self.shot(shot))
        return popup

    def close_notice(self):
        self.desktop.request_close(self.desktop.find_window(ODBC))
        self.desktop.wait_gone(ODBC)


class KeyboardRound(Round):
    """Access keys, Tab, Space and arrow keys only."""

    prefix = "keyboard"

    def open_new(self, row, title, shot):
        self.tessel.focus_main()
        self.desktop.keys("alt+n")
        self.tessel.window(CHOOSER, self.shot("new-data-source"))
        # The first arrow key selects the row that holds the focus mark.
        self.desktop.keys(*["Down"] * (row + 1), "alt+o")
        return self.tessel.window(title, self.shot(shot))

    def open_last(self, title, shot):
        """Configure on the last record; the list keeps the keyboard focus."""
        self.tessel.focus_main()
        self.desktop.keys("End", "alt+u")
        return self.tessel.window(title, self.shot(shot))

    def press_close(self):
        self.desktop.keys("alt+c")

    def confirm(self, title):
        self.desktop.keys("alt+o")
        self.desktop.wait_gone(title)

    def rename(self, title, new_name):
        self.open_last(title, "rename")
        self.desktop.keys("ctrl+a")
        self.desktop.type(new_name)
        self.confirm(title)

    def delete_last(self, name):
        self.tessel.focus_main()
        self.desktop.keys("End", "alt+d")
        self.tessel.window(QUESTION, self.shot("delete-question"))
        self.desktop.keys("alt+y")
        self.desktop.wait_gone(QUESTION)
        self.registry.expect_missing(name, "keyboard delete of " + name)

    def options(self, owner, *keys):
        """Opens the display options from owner, presses keys there, confirms.

        The options open with the focus on Cancel: the first Tab goes round
        to "All Scales"."""
        self.desktop.keys("alt+p")
        self.tessel.window(OPTIONS, self.shot("options"))
        self.desktop.keys(*keys)
        self.confirm(OPTIONS)
        self.desktop.focus(self.desktop.find_window(owner))

    def native_type(self):
        name = "Keyboard Native"
        self.open_new(NATIVE_ROW, NATIVE, "new-native")
        self.desktop.type(name)
        self.desktop.keys("Tab")
        self.desktop.type("Typed at the keyboard")
        self.desktop.keys("Tab")
        self.desktop.type("KBNAT")
        self.desktop.keys("Tab")
        self.desktop.type("41")
        # Automatic off; then past Allow Creation, OK, Options... and Cancel
        # to Editable, the selected one of the attributes, and Up to Read Only.
        self.desktop.keys("Tab", "space", *["Tab"] * 5, "Up", "space")
        self.options(NATIVE, "Tab", "space", "Tab", *"1000", "Tab", *"50000", "Tab", *"200",
                     "Tab", "space")
        self.confirm(NATIVE)
        record = native_record(1, "Typed at the keyboard", "KBNAT", 41, 2, 6,
                               auto_connect=1, scales="1000,50000,0", priority=200)
        self.registry.expect_record(name, record, "keyboard: new native record")

        self.open_last(NATIVE, "configure-native")
        self.desktop.keys("Tab")
        self.desktop.type("Changed at the keyboard")
        self.confirm(NATIVE)
        record[1] = ("Description", "Changed at the keyboard")
        self.registry.expect_record(name, record, "keyboard: native record configured")

        self.rename_and_delete(NATIVE, name, "Keyboard Native 2", record)

    def raster_type(self):
        name = "Keyboard Raster"
        self.open_new(RASTER_ROW, RASTER, "new-raster")
        self.desktop.type(name)
        # Back round the tab order to Allow Import and clear it, then on
        # round again to the description (Allow Export is disabled).
        self.desktop.keys("shift+Tab", "shift+Tab", "space", "Tab", "Tab", "Tab")
        self.desktop.type("Raster by keyboard")
        self.desktop.keys("Tab")
        self.desktop.type("KBRAS")
        self.confirm(RASTER)
        record = native_record(2, "Raster by keyboard", "KBRAS", "Auto", 1, 4)
        self.registry.expect_record(name, record, "keyboard: new raster record")

        self.open_last(RASTER, "configure-raster")
        self.desktop.keys("Tab", "Tab")
        self.desktop.type("KBRAS2")
        self.confirm(RASTER)
        record[2] = ("Connect", "KBRAS2")
        self.registry.expect_record(name, record, "keyboard: raster record configured")

        self.rename_and_delete(RASTER, name, "Keyboard Raster 2", record)

    def demand_type(self):
        name = "Keyboard Demand"
        self.open_new(DEMAND_ROW, DEMAND, "new-demand")
        self.desktop.type(name)
        self.desktop.keys("Tab")
        self.desktop.type("Demand load by keyboard")
        # OK is still disabled: Tab passes Cancel on the way to the DLD file.
        self.desktop.keys("Tab", "Tab")
        self.desktop.type(self.tessel.dld_path)
        # Past Browse... and DLD Builder... to the entity list, which Alt+Down
        # opens (reading the file) on its first entry; Main Roads is the third.
        self.desktop.keys("Tab", "Tab", "Tab")
        self.open_popup(lambda: self.desktop.keys("alt+Down"), "entity-list")
        self.desktop.keys("Down", "Down", "Return", "Tab")
        self.desktop.type("77")
        self.confirm(DEMAND)
        connect = self.tessel.dld_path + " Main Roads"
        record = demand_record("Demand load by keyboard", connect, 77)
        self.registry.expect_record(name, record, "keyboard: new demand-load record")

        self.open_last(DEMAND, "configure-demand")
        # The display options, with the overview scale this type has.
        self.options(DEMAND, "Tab", "space", "Tab", *"100", "Tab", *"2000", "Tab", *"500",
                     "Tab", *"50")
        self.confirm(DEMAND)
        record = demand_record("Demand load by keyboard", connect, 77, scales="100,2000,500",
                               priority=50)
        self.registry.expect_record(name, record, "keyboard: demand-load options")

        self.rename_and_delete(DEMAND, name, "Keyboard Demand 2", record)


class MouseRound(Round):
    """Clicks on the controls where their designs put them; text is typed."""

    prefix = "mouse"

    def click(self, window, place, point="centre"):
        x, y = getattr(place, point)()
        self.desktop.click(window, x, y)

    def list_text(self, window, place):
        """The screen, and where a list's item texts stand on it: right of
        the icon column, left of the scroll bar."""
        left, top, _, _ = self.desktop.geometry(window)
        area = (left + place.left + 24, top + place.top + 2, place.width - 24 - 20,
                place.height - 4)
        return self.desktop.pixels(), area, top

    def rows_of(self, window, place):
        """Centres of the visible rows of a list, relative to window."""
        shot, area, top = self.list_text(window, place)
        return [y - top for y in shot.text_rows(*area)]

    def click_row(self, window, place, row):
        rows = wait_until(lambda: self.rows_of(window, place), "list rows to show")
        self.desktop.click(window, place.left + 40, rows[row])

    def open_new(self, row, title, shot):
        self.tessel.focus_main()
        self.click(self.tessel.main, MAIN_NEW)
        chooser = self.tessel.window(CHOOSER, self.shot("new-data-source"))
        self.click_row(chooser, CHOOSER_LIST, row)
        self.click(chooser, CHOOSER_OK)
        return self.tessel.window(title, self.shot(shot))

    def select_last(self):
        """Scrolls the main list to its end and clicks its last row.

        The registry holds more records than the list shows at once: the
        wheel takes the list to its top first, so that its texts change on
        the way to its end; once they stand still again, it is there."""
        main = self.tessel.main
        x, y = MAIN_LIST.centre()

        def texts():
            shot, area, _ = self.list_text(main, MAIN_LIST)
            return shot.region(*area)

        def scroll(button, away_from=None):
            self.desktop.click(main, x, y, repeat=10, button=button)
            seen = [away_from]

            def moved_and_still():
                seen.append(texts())
                return seen[-1] != away_from and seen[-1] == seen[-2]

            wait_until(moved_and_still, "the list to scroll")
            return seen[-1]

        top = scroll(WHEEL_UP)
        scroll(WHEEL_DOWN, away_from=top)
        rows = self.rows_of(main, MAIN_LIST)
        self.desktop.click(main, MAIN_LIST.left + 40, rows[-1])

    def open_last(self, title, shot):
        self.tessel.focus_main()
        self.select_last()
        self.click(self.tessel.main, MAIN_CONFIGURE)
        return self.tessel.window(title, self.shot(shot))

    def replace_text(self, window, place, text):
        """Selects the box's text with a triple click and types over it."""
        x, y = place.centre()
        self.desktop.click(window, x, y, repeat=3)
        self.desktop.type(text)

    def press_close(self):
        self.click(self.tessel.main, MAIN_CLOSE)

    def confirm(self, window, title, place):
        self.click(window, place)
        self.desktop.wait_gone(title)

    def rename(self, title, new_name):
        design = DemandDesign if title == DEMAND else NativeDesign
        dialog = self.open_last(title, "rename")
        self.replace_text(dialog, design.name, new_name)
        self.confirm(dialog, title, design.ok)

    def delete_last(self, name):
        self.tessel.focus_main()
        self.select_last()
        self.click(self.tessel.main, MAIN_DELETE)
        question = self.tessel.window(QUESTION, self.shot("delete-question"))
        self.click_yes(question)
        self.desktop.wait_gone(QUESTION)
        self.registry.expect_missing(name, "mouse delete of " + name)

    def click_yes(self, question):
        """Clicks Yes, the first of the buttons along the foot of the box."""
        left, top, width, height = self.desktop.geometry(question)
        shot = self.desktop.pixels()
        background = shot.colour(left + 1, top + 1)

        def buttons(y):
            return [run for run in shot.runs_unlike(background, left, y, width)
                    if run[1] - run[0] > 30]

        # Up from the foot to the lower edge of the buttons, then to their middle.
        lower_edge = next(y for y in range(top + height - 1, top, -1) if buttons(y))
        middle = lower_edge - 8
        start, end = buttons(middle)[0]
        self.desktop.click(question, (start + end) // 2 - left, middle - top)

    def options(self, dialog, design, set_values):
        self.click(dialog, design.options)
        options = self.tessel.window(OPTIONS, self.shot("options"))
        set_values(options)
        self.confirm(options, OPTIONS, OptionsDesign.ok)

    def native_type(self):
        name = "MouseNative"
        dialog = self.open_new(NATIVE_ROW, NATIVE, "new-native")
        self.replace_text(dialog, NativeDesign.name, name)
        self.replace_text(dialog, NativeDesign.description, "Clicked")
        self.replace_text(dialog, NativeDesign.storage, "MSNAT")
        self.click(dialog, NativeDesign.backdrop, "indicator")
        self.click(dialog, NativeDesign.unload, "indicator")

        def scales(options):
            self.click(options, OptionsDesign.all_scales, "indicator")
            self.replace_text(options, OptionsDesign.minimum, "250")
            self.replace_text(options, OptionsDesign.maximum, "9000")
            self.replace_text(options, OptionsDesign.priority, "9")
            self.click(options, OptionsDesign.auto_connect, "indicator")

        self.options(dialog, NativeDesign, scales)
        self.confirm(dialog, NATIVE, NativeDesign.ok)
        record = native_record(1, "Clicked", "MSNAT", "Auto", 1, 2, auto_connect=1,
                               scales="250,9000,0", priority=9)
        self.registry.expect_record(name, record, "mouse: new native record")

        dialog = self.open_last(NATIVE, "configure-native")
        self.click(dialog, NativeDesign.editable, "indicator")
        self.click(dialog, NativeDesign.automatic, "indicator")
        self.replace_text(dialog, NativeDesign.source_id, "5")
        self.confirm(dialog, NATIVE, NativeDesign.ok)
        record = native_record(1, "Clicked", "MSNAT", 5, 3, 11, auto_connect=1,
                               scales="250,9000,0", priority=9)
        self.registry.expect_record(name, record, "mouse: native record configured")

        self.rename_and_delete(NATIVE, name, "MouseNative2", record)

    def raster_type(self):
        name = "MouseRaster"
        dialog = self.open_new(RASTER_ROW, RASTER, "new-raster")
        self.replace_text(dialog, NativeDesign.name, name)
        self.replace_text(dialog, NativeDesign.storage, "MSRAS")
        # Editable and Allow Creation cannot be had for this type.
        self.click(dialog, NativeDesign.editable, "indicator")
        self.click(dialog, NativeDesign.create, "indicator")
        self.confirm(dialog, RASTER, NativeDesign.ok)
        record = native_record(2, "", "MSRAS", "Auto", 1, 6)
        self.registry.expect_record(name, record, "mouse: new raster record")

        dialog = self.open_last(RASTER, "configure-raster")
        self.replace_text(dialog, NativeDesign.description, "Raster clicked")
        self.confirm(dialog, RASTER, NativeDesign.ok)
        record[1] = ("Description", "Raster clicked")
        self.registry.expect_record(name, record, "mouse: raster record configured")

        self.rename_and_delete(RASTER, name, "MouseRaster2", record)

    def choose_entity(self, dialog, index):
        """Opens the entity list with a click and clicks one of its rows."""
        popup = self.open_popup(lambda: self.click(dialog, DemandDesign.entities),
                                "entity-list")
        _, _, width, height = self.desktop.geometry(popup)
        rows = wait_until(lambda: self.rows_of(popup, Place.whole_window(width, height)),
                          "entity rows to show")
        self.desktop.click(popup, width // 2, rows[index])

    def demand_type(self):
        name = "MouseDemand"
        dialog = self.open_new(DEMAND_ROW, DEMAND, "new-demand")
        self.replace_text(dialog, DemandDesign.name, name)
        self.replace_text(dialog, DemandDesign.dld, self.tessel.dld_path)
        self.choose_entity(dialog, ENTITIES.index("ROADS"))
        self.click(dialog, DemandDesign.automatic, "indicator")
        self.confirm(dialog, DEMAND, DemandDesign.ok)
        connect = self.tessel.dld_path + " ROADS"
        record = demand_record("", connect, "Auto")
        self.registry.expect_record(name, record, "mouse: new demand-load record")

        dialog = self.open_last(DEMAND, "configure-demand")
        self.choose_entity(dialog, ENTITIES.index("WATER MAINS"))

        # The overview box takes input only while "All Scales" is off; on
        # again, the record keeps the overview scale and drops the range.
        def overview(options):
            self.click(options, OptionsDesign.all_scales, "indicator")
            self.replace_text(options, OptionsDesign.overview, "800")
            self.click(options, OptionsDesign.all_scales, "indicator")

        self.options(dialog, DemandDesign, overview)
        self.confirm(dialog, DEMAND, DemandDesign.ok)
        record = demand_record("", self.tessel.dld_path + " WATER MAINS", "Auto",
                               scales="0,0,800")
        self.registry.expect_record(name, record, "mouse: demand-load record configured")

        self.rename_and_delete(DEMAND, name, "MouseDemand2", record)


class LanguageRound:
    """The windows whose texts Qt writes itself, in another language: the
    delete question's buttons and the file dialog, by keyboard."""

    def __init__(self, tessel, language, texts):
        self.tessel = tessel
        self.desktop = tessel.desktop
        self.language = language.lower()
        self.texts = texts

    def shot(self, what):
        return "%s-%s" % (self.language, what)

    def run(self):
        self.tessel.focus_main()
        before = self.tessel.registry.records()
        self.desktop.keys("Down", self.texts["delete"])
        self.tessel.window(QUESTION, self.shot("delete-question"))
        self.desktop.keys("Escape")
        self.desktop.wait_gone(QUESTION)

        self.tessel.focus_main()
        self.desktop.keys("alt+n")
        self.tessel.window(self.texts["chooser"], self.shot("new-data-source"))
        self.desktop.keys(*["Down"] * (DEMAND_ROW + 1), "alt+o")
        self.tessel.window(self.texts["demand"], self.shot("new-demand"))
        # Name, Description, Cancel (OK is disabled), the DLD file, Browse...
        self.desktop.keys("Tab", "Tab", "Tab", "Tab", "space")
        self.tessel.window(self.texts["browse"], self.shot("file-dialog"))
        self.desktop.keys("Escape")
        self.desktop.wait_gone(self.texts["browse"])
        self.desktop.focus(self.desktop.find_window(self.texts["demand"]))
        self.desktop.keys(self.texts["cancel"])
        self.desktop.wait_gone(self.texts["demand"])

        self.tessel.focus_main()
        self.desktop.keys(self.texts["close"])
        self.tessel.expect_ended()
        if self.tessel.registry.records() != before:
            raise AssertionError("the %s round changed the registry" % self.language)


# What the language rounds look for and press, as TESSEL.LRT translates it.
LANGUAGES = {
    "German": {"main": "VelumGIS – Registrierung der Datenquellen", "delete": "alt+l",
               "chooser": "Neue Datenquelle",
               "demand": "Bedarfsgesteuerte Datenquelle konfigurieren",
               "browse": "DLD-Datei auswählen", "cancel": "alt+a", "close": "alt+s"},
    "French": {"main": "VelumGIS – Enregistrement des sources de données", "delete": "alt+s",
               "chooser": "Nouvelle source de données",
               "demand": "Configurer une source de données chargée à la demande",
               "browse": "Sélectionner un fichier DLD", "cancel": "alt+a", "close": "alt+f"},
}
