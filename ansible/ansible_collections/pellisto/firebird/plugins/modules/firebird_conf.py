#!/usr/bin/python
# -*- coding: utf-8 -*-
# Sets parameters of firebird.conf through pellisto-conf on the target.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: firebird_conf
short_description: Set parameters of a Firebird server's firebird.conf
description:
  - Sets parameters of C(firebird.conf) as the server of the file's version reads it, through
    C(pellisto-conf set) on the target.
  - Each value is written in a form that version reads, on the line its server reads (on 2.x the
    last line of the name, on 3.0 and later the first active one); only those lines are rewritten,
    in one atomic save that keeps a symbolic link, the owner and the permissions.
  - Every value is checked before anything is written. A value the version would misread (C(64M) on
    2.x, C(12x) anywhere), a name the version does not read, a name the file has no line for (no
    line is ever added) and a change the server would not see fail the task with the tool's
    message and exit status, and the file stays untouched.
  - Values the file already holds leave it byte for byte as it is, with its modification time, and
    the task reports no change.
version_added: "0.2.0"
author:
  - Pellisto developers (@pellisto)
options:
  settings:
    description:
      - The parameters to set, name to value, as written in C(firebird.conf). Names ignore letter
        case, as the server's do.
      - A boolean is passed as C(1) or C(0), which every version reads as a flag (3.0 and later write
        C(true) or C(false)); numbers are passed as written. Write C("") for an empty value.
    type: dict
    required: true
  server_version:
    description:
      - Read and write the file as this server version does, instead of the version the file shows
        (its header, else the names it holds).
    type: str
    choices: ['2.0', '2.1', '2.5', '3.0', '4.0', '5.0']
  check:
    description:
      - After the change, run C(pellisto-conf check) and fail when it reports findings (lines the
        server reads otherwise than they look, values out of range, names set twice, ...).
      - In check mode the file is not changed, so the file as it is gets checked, leaving out the
        findings on the lines the change would rewrite.
    type: bool
    default: false
extends_documentation_fragment:
  - pellisto.firebird.pellisto_conf
requirements:
  - C(pellisto-conf) on the target, with C(set --json).
attributes:
  check_mode:
    support: full
    description: Runs C(pellisto-conf set --dry-run), which checks everything and writes nothing.
  diff_mode:
    support: full
    description: The changed lines before and after.
notes:
  - The change takes effect when the Firebird server restarts; notify a handler that restarts it.
  - C(pellisto-conf) holds the writers' lock of Pellisto while it writes, waiting up to 5 seconds for
    another writer, and writes nothing when another program changed the file meanwhile.
seealso:
  - module: pellisto.firebird.firebird_conf_info
'''

EXAMPLES = r'''
- name: Set the port and the page cache of the Firebird found on the host
  pellisto.firebird.firebird_conf:
    settings:
      RemoteServicePort: 3051
      DefaultDbCachePages: 4096
  notify: Restart Firebird

- name: Set a 3.0 server's mode and fail when the file has findings afterwards
  pellisto.firebird.firebird_conf:
    folder: /etc/firebird/3.0
    settings:
      ServerMode: SuperClassic
      TcpNoNagle: true
    check: true
  register: conf

- name: Show the value the server reads now
  ansible.builtin.debug:
    msg: "{{ conf.settings.ServerMode.server }}"
'''

RETURN = r'''
changed:
  description: Whether a line of the file changed (in check mode, whether one would).
  returned: always
  type: bool
path:
  description: The file set.
  returned: success
  type: str
  sample: /opt/firebird/firebird.conf
version:
  description: The server version the file was read as.
  returned: success
  type: str
  sample: "2.1"
settings:
  description: Per name set, as the catalogue spells it, what became of its line.
  returned: success
  type: dict
  contains:
    line:
      description: The line of the file rewritten for the name (1-based).
      type: int
      sample: 195
    before:
      description: The line's text before.
      type: str
      sample: "#DefaultDbCachePages = 2048"
    after:
      description: The line's text after (in check mode, as it would be).
      type: str
      sample: DefaultDbCachePages = 4096
    changed:
      description: Whether this line changed.
      type: bool
    server_before:
      description: The value the server used before.
      type: str
      sample: "2048"
    server:
      description: The value the server uses after the change (numbers in digits, flags as 1 or 0 on
        2.x and true or false on 3.0 and later).
      type: str
      sample: "4096"
  sample:
    DefaultDbCachePages:
      line: 195
      before: "#DefaultDbCachePages = 2048"
      after: DefaultDbCachePages = 4096
      changed: true
      server_before: "2048"
      server: "4096"
findings:
  description: What C(pellisto-conf check --json) reported, each with C(path), C(line), C(key),
    C(message) and C(refusesFile).
  returned: when I(check=true)
  type: list
  elements: dict
  sample:
    - path: /opt/firebird/firebird.conf
      line: 12
      key: TempCacheLimit
      message: "64M is read as 64 by Firebird 2.1"
      refusesFile: false
diff:
  description: The changed lines before and after, in file order, for diff mode; the headers name
    the file and the lines.
  returned: when something changed and diff mode is on
  type: dict
  sample:
    before_header: /opt/firebird/firebird.conf (line 195)
    after_header: /opt/firebird/firebird.conf (line 195)
    before: "#DefaultDbCachePages = 2048\n"
    after: "DefaultDbCachePages = 4096\n"
rc:
  description: The exit status of C(pellisto-conf) when it failed (1 a refused value or findings,
    2 a usage error, 3 a file that cannot be read or written, is locked or changed meanwhile).
  returned: failure
  type: int
'''

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.six import string_types, integer_types

from ansible_collections.pellisto.firebird.plugins.module_utils.pellisto_conf import (
    COMMON_ARGS, base_command, run)


def pairs(module):
    """The settings as KEY=VALUE arguments; a name or value the tool
    could take for something else fails the task."""
    result = []
    for name, value in module.params['settings'].items():
        if not name or '=' in name or name.strip() != name:
            module.fail_json(msg='settings: %r is not a parameter name' % name)
        if isinstance(value, bool):
            text = '1' if value else '0'
        elif isinstance(value, string_types + integer_types):
            text = str(value)
        elif value is None:
            module.fail_json(msg='settings.%s has no value; write "" for an empty one' % name)
        else:
            module.fail_json(msg='settings.%s: a value is a text, a whole number or a boolean, not %r'
                             % (name, value))
        result.append('%s=%s' % (name, text))
    return result


def check_findings(module, report):
    """The findings of pellisto-conf check; in check mode without those on
    the lines the change would rewrite, as the file is not changed."""
    command = base_command(module) + ['check', '--json']
    dummy, findings, dummy_err = run(module, command, fail_on_findings=False)
    findings = findings or []
    if module.check_mode:
        rewritten = set(s['line'] for s in report['settings'] if s['changed'])
        findings = [f for f in findings if not (f['path'] == report['path'] and f['line'] in rewritten)]
    return findings


def diff_of(report):
    """The changed lines only; the headers name where they are, as the
    diff's own line numbers count the changed lines."""
    lines = sorted((s for s in report['settings'] if s['changed']), key=lambda s: s['line'])
    numbers = ', '.join(str(s['line']) for s in lines)
    where = '%s (line%s %s)' % (report['path'], 's' if len(lines) > 1 else '', numbers)
    return dict(before_header=where, after_header=where,
                before=''.join(s['before'] + '\n' for s in lines),
                after=''.join(s['after'] + '\n' for s in lines))


def main():
    argument_spec = dict(
        settings=dict(type='dict', required=True),
        check=dict(type='bool', default=False),
    )
    argument_spec.update(COMMON_ARGS)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    if not module.params['settings']:
        module.fail_json(msg='settings: no parameter to set')

    command = base_command(module) + ['set', '--json']
    if module.check_mode:
        command.append('--dry-run')
    command += ['--'] + pairs(module)
    dummy, report, dummy_err = run(module, command)

    result = dict(
        changed=report['changed'],
        path=report['path'],
        version=report['version'],
        settings=dict((s['key'], dict(line=s['line'], before=s['before'], after=s['after'],
                                      changed=s['changed'], server_before=s['serverBefore'],
                                      server=s['server']))
                      for s in report['settings']),
    )
    if report['changed'] and module._diff:
        result['diff'] = diff_of(report)
    if module.params['check']:
        findings = check_findings(module, report)
        result['findings'] = findings
        if findings:
            shown = '\n'.join('%s:%s: %s' % (f['path'], f['line'], f['message']) for f in findings)
            module.fail_json(msg='pellisto-conf check reports %d finding(s) in %s:\n%s'
                             % (len(findings), report['path'], shown), rc=1, **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
