# -*- coding: utf-8 -*-
# What the modules share: finding pellisto-conf on the target, the options
# every command takes, and running one command whose output is JSON.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

# The options of every module that runs pellisto-conf, for argument_spec.
COMMON_ARGS = dict(
    folder=dict(type='path'),
    server_version=dict(type='str', choices=['2.0', '2.1', '2.5', '3.0', '4.0', '5.0']),
    binary=dict(type='path'),
)


def base_command(module):
    """pellisto-conf and the options naming the folder and the version."""
    binary = module.params['binary'] or module.get_bin_path('pellisto-conf', required=True)
    command = [binary]
    if module.params['folder']:
        command += ['--folder', module.params['folder']]
    if module.params['server_version']:
        command += ['--server-version', module.params['server_version']]
    return command


def run(module, command, fail_on_findings=True):
    """Runs one command and returns (exit status, its JSON output or None,
    standard error). Any exit status but 0 and 1 fails the task with the
    tool's message; so does 1 unless fail_on_findings is false."""
    rc, out, err = module.run_command(command, check_rc=False)
    if rc != 0 and (rc != 1 or fail_on_findings):
        fail(module, rc, out, err, command)
    result = None
    if out.strip() or rc == 0:
        try:
            result = json.loads(out)
        except ValueError as e:
            module.fail_json(msg='pellisto-conf printed no JSON (%s); is it older than this collection?' % e,
                             rc=rc, stdout=out, stderr=err, cmd=command)
    if rc == 0:
        # Printed beside a success: a copy left by an interrupted write.
        for line in err.splitlines():
            if line.strip():
                module.warn(line)
    return rc, result, err


def fail(module, rc, out, err, command, **extra):
    """Fails the task with the tool's own message and exit status."""
    msg = err.strip() or out.strip() or 'pellisto-conf exited with status %d' % rc
    module.fail_json(msg=msg, rc=rc, stdout=out, stderr=err, cmd=command, **extra)
