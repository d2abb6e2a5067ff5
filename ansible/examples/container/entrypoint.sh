#!/bin/sh
# A container entrypoint: sets the port and the page cache from the
# environment (FB_PORT, FB_CACHE_PAGES), shows the changed lines, and starts
# the server only when every value was taken and the file checks clean.
set -eu
export FIREBIRD="${FIREBIRD:-/opt/firebird}"
ansible-playbook -i localhost, "$(dirname "$0")/firebird-conf.yml"
exec "$@"
