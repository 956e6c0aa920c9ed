#!/usr/bin/env python3
"""Works the real tessel binary on a real X server, as a person would.

One round with the keyboard alone, then one with the mouse, each of which
creates, configures, renames and deletes a record of every type that has a
configuration dialog, and opens and closes the notice of the ODBC type. After
every step TESSEL.INI is read back through tessel-ini. Between the rounds
tessel-admin adds and removes a record, which the open main window must show
within a second. Last, one short round each in German and French goes through
the windows whose texts Qt writes itself (a question's buttons, the file
dialog). Every window that opens is saved as a PNG screenshot.

The program runs from a copy of its application directory in a temporary
directory, so the sample registry of the build is never touched.

Exits with 77 (reported as skipped) when Xvfb, xdotool or ImageMagick is
missing.
"""

import argparse
import contextlib
import glob
import os
import shutil
import subprocess
import sys
import tempfile

from registry_check import Registry
from rounds import (LANGUAGES, AdminChanges, KeyboardRound, LanguageRound, MouseRound,
                    TesselUnderTest)
from xdesktop import Desktop, VirtualDisplay, missing_programs

SKIPPED = 77
DATA_FILES = ("SRCS.INI", "LANGUAGE.INI", "TESSEL.LRT", "SAMPLE.DLD")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True,
                        help="directory of the built tessel and tessel-ini")
    parser.add_argument("--data-dir", required=True, help="the sample installation files")
    parser.add_argument("--registry", required=True, help="the sample TESSEL.INI to start from")
    parser.add_argument("--output", required=True, help="where the screenshots go")
    return parser.parse_args()


def make_application_directory(arguments, parent):
    app_dir = os.path.join(parent, "app")
    os.mkdir(app_dir)
    shutil.copy2(os.path.join(arguments.bin_dir, "tessel"), app_dir)
    for name in DATA_FILES:
        shutil.copy2(os.path.join(arguments.data_dir, name), app_dir)
    shutil.copy2(arguments.registry, os.path.join(app_dir, "TESSEL.INI"))
    return app_dir


def set_language(app_dir, language):
    with open(os.path.join(app_dir, "LANGUAGE.INI"), "w", newline="\r\n") as settings:
        settings.write("[Language]\nActiveLanguage=%s\n" % language)


@contextlib.contextmanager
def failure_photographed(desktop):
    """Saves the screen as it is when a round fails."""
    try:
        yield
    except BaseException:
        print("failed; the screen now: " + desktop.screenshot("failure"))
        raise


def prepare_output(directory):
    os.makedirs(directory, exist_ok=True)
    for old in glob.glob(os.path.join(directory, "*.png")):
        os.remove(old)


def run(arguments, work_dir):
    app_dir = make_application_directory(arguments, work_dir)
    runtime_dir = os.path.join(work_dir, "runtime")
    os.mkdir(runtime_dir, 0o700)
    registry = Registry(os.path.join(arguments.bin_dir, "tessel-ini"),
                        os.path.join(app_dir, "TESSEL.INI"))
    sample_records = registry.records()

    def admin(*args):
        subprocess.run([os.path.join(arguments.bin_dir, "tessel-admin"), *args,
                        "--registry", registry.path,
                        "--sources", os.path.join(app_dir, "SRCS.INI")],
                       check=True, capture_output=True, timeout=30)

    with VirtualDisplay() as display:
        desktop = Desktop(display.name, arguments.output)
        with TesselUnderTest(desktop, registry, app_dir, runtime_dir) as tessel, \
                failure_photographed(desktop):
            KeyboardRound(tessel).run()
            AdminChanges(tessel, admin, work_dir).run()
            mouse = MouseRound(tessel)
            mouse.run()
            mouse.close_program()
        for language, texts in LANGUAGES.items():
            set_language(app_dir, language)
            with TesselUnderTest(desktop, registry, app_dir, runtime_dir, texts["main"],
                                 language.lower() + "-main-window") as tessel, \
                    failure_photographed(desktop):
                LanguageRound(tessel, language, texts).run()
    # Nothing but the rounds' own records changed, and those are gone again.
    if registry.records() != sample_records:
        raise AssertionError("the sample records changed:\n%s" % registry.records())
    print("screenshots: " + arguments.output)


def main():
    arguments = parse_arguments()
    missing = missing_programs()
    if missing:
        print("SKIPPED: no real display test without %s; install the Debian packages "
              "xvfb, xdotool and imagemagick (scripts/setup-debian.sh does)" % ", ".join(missing))
        return SKIPPED
    prepare_output(arguments.output)
    with tempfile.TemporaryDirectory(prefix="tessel-e2e-") as work_dir:
        run(arguments, work_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
