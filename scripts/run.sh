#!/usr/bin/env bash
# Installs what is missing, builds, and opens the editor on a copy of the
# demo Firebird folder (build/demo-firebird/), leaving examples/ untouched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/bootstrap.sh" --gui
bash "$root/scripts/build.sh"

demo="$root/build/demo-firebird"
if [ ! -f "$demo/firebird.conf" ]; then
  mkdir -p "$demo"
  cp "$root/examples/firebird/"* "$demo/"
fi
# Config.ini lives beside the executable; point it at the demo folder once.
ini="$root/build/Config.ini"
if [ ! -f "$ini" ]; then
  printf '[InfoGeneral]\nPath=%s/\n' "$demo" > "$ini"
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
exec "$root/build/pellisto"
