"""Reads TESSEL.INI through tessel-ini, the way the GIS host sees it."""

import subprocess

from xdesktop import wait_until

KEY_ORDER = ("Type", "Description", "Connect", "ReadOnly", "ID", "Attributes",
             "Capabilities", "AutoConnect", "Scales", "Priority")


class Registry:
    def __init__(self, tessel_ini, path):
        self.tessel_ini = tessel_ini
        self.path = path

    def _lines(self, *args):
        result = subprocess.run([self.tessel_ini, *args], capture_output=True, check=True,
                                timeout=30)
        return result.stdout.decode("utf-8").splitlines()

    def sections(self):
        return self._lines("sections", self.path)

    def record(self, name):
        """The section's keys and values in file order; None when it is missing."""
        if name not in self.sections():
            return None
        return [(key, self._lines("get", self.path, name, key)[0])
                for key in self._lines("keys", self.path, name)]

    def records(self):
        return {name: self.record(name) for name in self.sections()}

    def expect_record(self, name, values, what, timeout=30):
        """Waits until section name holds exactly values, in that order."""
        expected = list(values)
        try:
            wait_until(lambda: self.record(name) == expected, what, timeout)
        except AssertionError as failure:
            raise AssertionError("%s\n  expected [%s] %s\n  found %s" % (
                failure, name, expected, self.record(name))) from None

    def expect_missing(self, name, what, timeout=30):
        wait_until(lambda: name not in self.sections(), what, timeout)


def saved_record(record_type, description, connect, read_only, source_id, attributes,
                 capabilities, auto_connect, scales, priority, private=None):
    """The keys a configuration dialog writes, in the order it writes them."""
    values = [record_type, description, connect, read_only, source_id, attributes,
              capabilities, auto_connect, scales, priority]
    record = list(zip(KEY_ORDER, map(str, values)))
    if private is not None:
        record.append(("Private", str(private)))
    return record
