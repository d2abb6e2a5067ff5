#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pellisto as a new user meets
# it: on the first run its welcome dialog offers a copy of the demo Firebird
# folder (build/demo-firebird/, leaving examples/ untouched).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/bootstrap.sh" --gui
bash "$root/scripts/build.sh"

demo="$root/build/demo-firebird"
if [ ! -f "$demo/firebird.conf" ]; then
  mkdir -p "$demo"
  cp "$root/examples/firebird/"* "$demo/"
fi
# Firebird's own variable for its folder: the welcome dialog starts with it.
# Once a folder is saved in build/Config.ini, the editor opens directly.
export FIREBIRD="$demo/"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
exec "$root/build/pellisto"
