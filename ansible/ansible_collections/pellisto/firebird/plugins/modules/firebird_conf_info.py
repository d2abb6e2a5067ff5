#!/usr/bin/python
# -*- coding: utf-8 -*-
# Reads firebird.conf as its server reads it, through pellisto-conf on the
# target, for use as facts.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: firebird_conf_info
short_description: Read a Firebird server's firebird.conf as that server reads it
description:
  - Returns what C(pellisto-conf list --json) gives on the target, unchanged. That is the server
    version the file was read as, how that version was found, and every parameter the version
    reads with its state in the file, the file's text, the line it was read from and the value the
    server uses.
  - Newer versions of C(pellisto-conf) may report more fields; they are passed through as they come.
version_added: "0.2.0"
author:
  - Pellisto developers (@pellisto)
options:
  server_version:
    description:
      - Read the file as this server version does, instead of the version the file shows.
    type: str
    choices: ['2.0', '2.1', '2.5', '3.0', '4.0', '5.0']
  as_facts:
    description:
      - Also set the facts C(firebird_conf) and C(firebird_conf_settings), the same as the return
        values C(firebird_conf) and C(settings), so that later plays and templates can use them.
    type: bool
    default: false
extends_documentation_fragment:
  - pellisto.firebird.pellisto_conf
requirements:
  - C(pellisto-conf) on the target.
attributes:
  check_mode:
    support: full
    description: Reads only.
  diff_mode:
    support: none
    description: Changes nothing.
notes:
  - A 3.0 or later file that its server would refuse altogether fails the task with the tool's
    message (exit status 1); C(pellisto-conf check) says why.
seealso:
  - module: pellisto.firebird.firebird_conf
'''

EXAMPLES = r'''
- name: Read the configuration of the Firebird found on the host
  pellisto.firebird.firebird_conf_info:
  register: fb

- name: Tell the version and the port the server uses
  ansible.builtin.debug:
    msg: "Firebird {{ fb.firebird_conf.version }} listens on {{ fb.settings.RemoteServicePort.server }}"

- name: Keep them as facts for later plays
  pellisto.firebird.firebird_conf_info:
    folder: /etc/firebird/3.0
    as_facts: true
'''

RETURN = r'''
firebird_conf:
  description: The object C(pellisto-conf list --json) prints, as it prints it.
  returned: always
  type: dict
  contains:
    version:
      description: The server version the file was read as.
      type: str
      sample: "3.0"
    release:
      description: The release that version stands for.
      type: str
      sample: 3.0.11
    detectedFrom:
      description: How the version was found, C(header), C(names), C(none) or C(given).
      type: str
      sample: header
    parameters:
      description: Every parameter the version reads, in the catalogue's order, each with C(key),
        C(state) (C(active), C(commented) or C(absent)), C(path) and C(line) it was read from, the
        file's text C(file) and the value the server uses C(server).
      type: list
      elements: dict
settings:
  description: The same parameters keyed by their name.
  returned: always
  type: dict
  sample:
    RemoteServicePort:
      key: RemoteServicePort
      kind: integer
      state: commented
      path: /etc/firebird/3.0/firebird.conf
      line: 689
      file: "3050"
      server: "3050"
      default: true
ansible_facts:
  description: With I(as_facts), C(firebird_conf) and C(firebird_conf_settings).
  returned: when I(as_facts=true)
  type: dict
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.pellisto.firebird.plugins.module_utils.pellisto_conf import (
    COMMON_ARGS, base_command, run)


def main():
    argument_spec = dict(as_facts=dict(type='bool', default=False))
    argument_spec.update(COMMON_ARGS)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)

    dummy, conf, dummy_err = run(module, base_command(module) + ['list', '--json'])
    settings = dict((p['key'], p) for p in conf.get('parameters', []))
    result = dict(changed=False, firebird_conf=conf, settings=settings)
    if module.params['as_facts']:
        result['ansible_facts'] = dict(firebird_conf=conf, firebird_conf_settings=settings)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
