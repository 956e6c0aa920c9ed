#!/usr/bin/python
# -*- coding: utf-8 -*-
# Registers Velum GIS data sources in TESSEL.INI through tessel-admin, which
# holds every rule: this module only turns its parameters into one template
# and reads tessel-admin's JSON report back.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: tessel_datasource
short_description: Register Velum GIS data sources in TESSEL.INI
description:
  - Makes the data sources of a Velum GIS desktop's registry (C(TESSEL.INI)) hold the given
    values, or removes them, with the rules of Tessel's configuration dialogs.
  - Runs C(tessel-admin import --update) once per host, also for a list of records, so that a
    site's whole set of data sources is one replacement of the registry.
  - C(changed) is true only when the registry was replaced; a run that changes nothing leaves
    the file as it was. A refusal (a value out of its key's rules, a name in use, a full disk)
    fails the host with tessel-admin's message and leaves its registry byte-identical.
version_added: "1.0.0"
author: Velum GIS
options:
  name:
    description: The record (the section name in C(TESSEL.INI)). Give I(name) or I(records).
    type: str
  state:
    description:
      - C(present) - the record holds the given values; keys not given keep their values, or take
        the values a new record gets in its dialog when the record is new.
      - C(absent) - the record is removed; an absent record is left as it is.
    type: str
    choices: [present, absent]
    default: present
  type:
    description: The source type code (1 native, 2 native raster, 4 demand-load, 5 ODBC); needed
      when the record does not exist yet.
    type: int
  description:
    description: The record's C(Description).
    type: str
  connect:
    description: The record's C(Connect) (storage name, or DLD file and entity).
    type: str
  keys:
    description: Further keys and their values (C(ReadOnly), C(ID), C(Attributes),
      C(Capabilities), C(AutoConnect), C(Scales), C(Priority), C(Private)), stored as given.
    type: dict
  records:
    description: Several records instead of I(name), each a dictionary of I(name), I(state),
      I(type), I(description), I(connect) and I(keys); all of them are applied in one replacement.
    type: list
    elements: dict
  force:
    description: Removes protected records (C(Private) bit 2) too.
    type: bool
    default: false
  registry:
    description: The registry to work on (default - C(TESSEL.INI) beside tessel-admin).
    type: path
  catalogue:
    description: The catalogue of source types (default - C(SRCS.INI) beside tessel-admin).
    type: path
  tessel_admin:
    description: The tessel-admin program (default - the one on the PATH).
    type: path
notes:
  - Check mode runs tessel-admin with C(--dry-run) and reports what would change.
  - Diff mode returns each changed record's keys before and after.
'''

EXAMPLES = r'''
- name: Register the road network
  tessel_datasource:
    name: Roads
    type: 1
    description: Road network of the county
    connect: ROADS
    keys:
      Priority: 100

- name: The site's data sources, one replacement of the registry
  tessel_datasource:
    records:
      - {name: Roads, type: 1, description: Road network of the county, connect: ROADS}
      - {name: Orthophotos, type: 2, description: Orthophotos 2024, connect: ORTHO24}
      - {name: Parcels, type: 4, connect: /srv/gis/cadastre.dld PARCELS}
      - {name: Orthophotos2019, state: absent}

- name: Remove a protected record
  tessel_datasource:
    name: Basemap
    state: absent
    force: true
'''

RETURN = r'''
records:
  description: tessel-admin's report, one entry a record, in the order given.
  returned: always
  type: list
  elements: dict
  contains:
    name:
      description: The record.
      type: str
    change:
      description: C(added), C(replaced), C(unchanged) or C(removed) (in check mode, what would be).
      type: str
    before:
      description: The record's keys before the run, null when it did not exist.
      type: dict
    after:
      description: The record's keys after the run, null when it does not exist.
      type: dict
  sample:
    - {name: Roads, change: added, before: null, after: {Type: 1, Description: Road network}}
'''

import json

from ansible.module_utils.basic import AnsibleModule

RECORD_OPTIONS = dict(
    name=dict(type='str', required=True),
    state=dict(type='str', choices=['present', 'absent'], default='present'),
    type=dict(type='int'),
    description=dict(type='str'),
    connect=dict(type='str'),
    keys=dict(type='dict'),
)


def template_section(record):
    """The template lines of one present record, each value in quotes so that
    tessel-admin sees blanks and quotes at its ends and refuses them."""
    name = record['name']
    values = dict(Type=record['type'], Description=record['description'], Connect=record['connect'])
    for key, value in (record['keys'] or {}).items():
        if values.get(key) is not None:
            raise ValueError('%s: %s: the key is given twice' % (name, key))
        values[key] = value
    values = dict((key, str(value)) for key, value in values.items() if value is not None)
    if any('\r' in text or '\n' in text for text in [name, *values, *values.values()]):
        raise ValueError('%s: a template line cannot hold a line break' % name)
    return '[%s]\n' % name + ''.join('%s="%s"\n' % item for item in values.items())


def section_text(name, keys):
    if keys is None:
        return ''
    return '[%s]\n' % name + ''.join('%s=%s\n' % item for item in keys.items())


def record_diffs(report):
    return [dict(before_header=entry['name'], after_header=entry['name'],
                 before=section_text(entry['name'], entry['before']),
                 after=section_text(entry['name'], entry['after']))
            for entry in report['records'] if entry['change'] != 'unchanged']


def main():
    arguments = dict(RECORD_OPTIONS, name=dict(type='str'),
                records=dict(type='list', elements='dict', options=RECORD_OPTIONS),
                force=dict(type='bool', default=False),
                registry=dict(type='path'), catalogue=dict(type='path'), tessel_admin=dict(type='path'))
    single_only = ('name', 'type', 'description', 'connect', 'keys')
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True,
                           mutually_exclusive=[('records', option) for option in single_only],
                           required_one_of=[('name', 'records')])
    params = module.params
    records = params['records'] if params['records'] is not None else [
        dict((key, params[key]) for key in RECORD_OPTIONS)]
    if not records:
        module.exit_json(changed=False, records=[])

    command = [params['tessel_admin'] or module.get_bin_path('tessel-admin', required=True)]
    for option, flag in (('registry', '--registry'), ('catalogue', '--sources')):
        if params[option]:
            command += [flag, params[option]]
    command += ['import', '-', '--update', '--format', 'json']
    for record in records:
        if record['state'] == 'absent':
            command += ['--remove', record['name']]
    if params['force']:
        command.append('--force')
    if module.check_mode:
        command.append('--dry-run')
    try:
        template = ''.join(template_section(r) for r in records if r['state'] == 'present')
    except ValueError as error:
        module.fail_json(msg=str(error))

    # A byte-order mark makes tessel-admin read the template as UTF-8.
    rc, out, err = module.run_command(command, data=u'\ufeff' + template if template else '', binary_data=True)
    if rc != 0:
        module.fail_json(msg=err.strip() or 'tessel-admin exited with %d' % rc, rc=rc, cmd=command)
    try:
        report = json.loads(out)
    except ValueError:
        module.fail_json(msg='tessel-admin gave no JSON report: %s' % out.strip(), cmd=command)
    result = dict(changed=report['changed'], records=report['records'])
    if module._diff:
        result['diff'] = record_diffs(report)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
