#!/usr/bin/env python3
"""fleet_test.py TESSEL_ADMIN TESSEL_INI SRCS_INI LIBRARY: the tessel_datasource module
run by ansible-playbook (10 forks) over 20 local desktops, each with its own
application directory. Prints the wall time of each run."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HOSTS = ['desk%02d' % n for n in range(1, 21)]
SOURCES = [dict(name='Source%02d' % n, type=1, description='Source %d of the site' % n,
                connect='SRC%02d' % n, keys=dict(Priority=n)) for n in range(1, 11)]
HERE = os.path.dirname(os.path.abspath(__file__))
PLAYBOOK = os.path.join(HERE, 'fleet.yml')


def expect(condition, fault):
    if not condition:
        sys.exit('FAIL: ' + fault)


class Fleet:
    def __init__(self, scratch, admin, registry, catalogue, library):
        self.scratch, self.library = scratch, library
        for host in HOSTS:
            os.mkdir(self.app_dir(host))
            for source, name in ((admin, 'tessel-admin'), (registry, 'TESSEL.INI'), (catalogue, 'SRCS.INI')):
                shutil.copy(source, os.path.join(self.app_dir(host), name))

    def app_dir(self, host):
        return os.path.join(self.scratch, host)

    def registries(self):
        def read(host):
            with open(os.path.join(self.app_dir(host), 'TESSEL.INI'), 'rb') as file:
                return file.read()
        return {host: read(host) for host in HOSTS}

    def admin(self, host, *arguments):
        return subprocess.run([os.path.join(self.app_dir(host), 'tessel-admin'), *arguments],
                              capture_output=True, text=True, check=True).stdout

    def run(self, label, sources, *options, host_sources=None, single=None, failing=()):
        """Runs the playbook, expecting the hosts failing to fail and no other;
        gives each host's result of each task."""
        hosts = {host: dict(app_dir=self.app_dir(host)) for host in HOSTS}
        for host, own in (host_sources or {}).items():
            hosts[host]['sources'] = own
        group_vars = dict(sources=sources, ansible_connection='local',
                          ansible_python_interpreter='{{ ansible_playbook_python }}')
        if single:
            group_vars['single'] = single
        inventory = os.path.join(self.scratch, 'inventory.json')
        with open(inventory, 'w') as file:
            json.dump(dict(desktops=dict(hosts=hosts, vars=group_vars)), file)
        env = dict(os.environ, ANSIBLE_LIBRARY=self.library, ANSIBLE_STDOUT_CALLBACK='fleet_report',
                   ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, 'callback'),
                   ANSIBLE_HOME=os.path.join(self.scratch, 'ansible'), ANSIBLE_NOCOLOR='1', ANSIBLE_PIPELINING='1')
        start = time.monotonic()
        done = subprocess.run(['ansible-playbook', '-i', inventory, '--forks', '10', PLAYBOOK, *options],
                              capture_output=True, text=True, env=env)
        print('%s: %.1f s' % (label, time.monotonic() - start))
        try:
            tasks = json.loads(done.stdout)
        except ValueError:
            sys.exit('FAIL: ansible-playbook gave no report:\n%s%s' % (done.stdout, done.stderr))
        failed = {host: result for task in tasks for host, result in task.items() if result['failed']}
        expect(sorted(failed) == sorted(failing), '%s: hosts failed: %s' % (label, failed))
        return tasks


def changed(results):
    return sorted(host for host, result in results.items() if result.get('changed'))


def changes(result):
    return [record['change'] for record in result['records']]


def main(admin, registry, catalogue, library):
    expect(shutil.which('ansible-playbook'), 'ansible-playbook is missing; scripts/setup-debian.sh installs ansible-core')
    doc = subprocess.run(['ansible-doc', '-M', library, 'tessel_datasource'], capture_output=True, text=True)
    expect(doc.returncode == 0 and 'records' in doc.stdout, 'ansible-doc cannot show the module:\n' + doc.stderr)
    with tempfile.TemporaryDirectory() as scratch:
        fleet = Fleet(scratch, admin, registry, catalogue, library)
        pristine = fleet.registries()

        results = fleet.run('--check --diff run, 10 sources on 20 hosts', SOURCES, '--check', '--diff')[0]
        expect(changed(results) == HOSTS, 'a check run does not report every host as to be changed')
        expect(all(changes(result) == ['added'] * 10 for result in results.values()), 'a check run misreports the records')
        expect('Description=Source 3 of the site\n' in results['desk05']['diff'][2]['after'],
               'the diff lacks the new record')
        expect(fleet.registries() == pristine, 'a check run changed a registry')

        results = fleet.run('first run, 10 sources on 20 hosts', SOURCES)[0]
        expect(changed(results) == HOSTS, 'the first run does not change every host')
        deployed = fleet.registries()
        shown = json.loads(fleet.admin('desk20', 'show', 'Source04', '--format', 'json'))
        expect('Source 4 of the site' in json.dumps(shown), 'desk20 lacks Source04: %s' % shown)

        results = fleet.run('second run, nothing to change', SOURCES)[0]
        expect(changed(results) == [], 'a second run changes %s' % changed(results))
        expect(fleet.registries() == deployed, 'a second run replaced a registry')
        history = fleet.admin('desk20', 'history').splitlines()
        expect(len(history) == 1 and '+10 ' in history[0], 'the runs did not keep one version of 10 records: %s' % history)

        # A new description everywhere; desk07 gets a Priority out of range besides.
        renamed = [dict(source, description=source['description'] + ', 2025') for source in SOURCES]
        bad = [dict(renamed[0], keys=dict(Priority=256))] + renamed[1:]
        results = fleet.run('--diff run, desk07 refused', renamed, '--diff', host_sources=dict(desk07=bad),
                            failing=['desk07'])[0]
        message = results['desk07']['msg']
        expect('Priority' in message and '256' in message, 'desk07 did not fail naming Priority: %s' % message)
        print('desk07 failed: ' + message)
        expect(fleet.registries()['desk07'] == deployed['desk07'], 'the refused run changed desk07')
        expect(changed(results) == [host for host in HOSTS if host != 'desk07'], 'the 19 others did not change')
        diff = results['desk01']['diff'][0]
        expect('Description=Source 1 of the site\n' in diff['before']
               and 'Description=Source 1 of the site, 2025\n' in diff['after'], 'the diff misses the change: %s' % diff)

        absent = [dict(name=source['name'], state='absent') for source in SOURCES[1:]]
        lists, singles = fleet.run('removal', absent, single=dict(name='Source01', state='absent'))
        expect(changed(lists) == HOSTS and changed(singles) == HOSTS, 'a removal does not change every host')
        expect(fleet.registries()['desk03'] == pristine['desk03'], 'the removal left desk03 changed')
        expect(not any(line.startswith('Source') for line in fleet.admin('desk07', 'list').splitlines()),
               'desk07 keeps a removed record')
    print('PASS: the module manages 10 data sources on 20 desktops')


if __name__ == '__main__':
    main(*sys.argv[1:])
