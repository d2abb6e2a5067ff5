# -*- coding: utf-8 -*-
# The options every module of the collection shares: where firebird.conf is
# and which pellisto-conf reads it.

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  folder:
    description:
      - The Firebird folder, the one that holds C(firebird.conf).
      - By default the tool's own discovery on the target, which looks at the environment variable
        C(FIREBIRD), then C(/opt/firebird/), then the newest C(/etc/firebird/<version>/) holding a
        C(firebird.conf).
    type: path
  binary:
    description:
      - The path of C(pellisto-conf) on the target. By default it is looked for on C(PATH).
    type: path
'''
