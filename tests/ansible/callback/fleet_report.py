"""Prints the results of a playbook run as one JSON document: a list, one entry
a task, of each host's result."""
import json

from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'stdout'
    CALLBACK_NAME = 'fleet_report'

    def __init__(self):
        super().__init__()
        self.tasks = []

    def v2_playbook_on_task_start(self, task, is_conditional):
        self.tasks.append({})

    def record(self, result, failed=False):
        self.tasks[-1][result._host.get_name()] = dict(result._result, failed=failed)

    def v2_runner_on_ok(self, result):
        self.record(result)

    def v2_runner_on_skipped(self, result):
        self.record(result)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self.record(result, failed=True)

    def v2_runner_on_unreachable(self, result):
        self.record(result, failed=True)

    def v2_playbook_on_stats(self, stats):
        self._display.display(json.dumps(self.tasks))
