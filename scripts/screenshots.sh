#!/usr/bin/env bash
# Builds the screenshot tool and writes a picture of each of the editor's ten
# pages, opened on the demo Firebird folder, into docs/screenshots/.
# Needs xvfb-run (package xvfb) and the DejaVu fonts (fonts-dejavu-core).
#
#   scripts/screenshots.sh [--end]     --end: each page scrolled to its bottom,
#                                      written into build/screenshots-end/
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
# The scrolled pictures are for checking by eye; only the others go to docs.
case " $* " in
  *" --end "*) out="${OUT_DIR:-$build/screenshots-end}" ;;
  *) out="${OUT_DIR:-$root/docs/screenshots}" ;;
esac

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target pellisto_screenshots
# English texts and a fixed screen, whatever the desktop at hand.
LANGUAGE=en LC_ALL=C.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' \
  "$build/pellisto_screenshots" "$root/examples/firebird" "$out" "$@"
echo "screenshots written to $out"
