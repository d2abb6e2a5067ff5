#!/usr/bin/env bash
# Builds the screenshot tools and writes a picture of each of the editor's ten
# pages, opened on the demo Firebird folder, and of the first-run, update,
# About and language dialogs. Needs xvfb-run (bootstrap.sh
# --screenshots) and the Tahoma of fonts-wine.
#
#   scripts/screenshots.sh          into build/screenshots/, for checking by eye
#   scripts/screenshots.sh --docs   into docs/screenshots/, the README's pictures
#   scripts/screenshots.sh --end    each page scrolled to its bottom, into
#                                   build/screenshots-end/
#   scripts/screenshots.sh --lang es  the pages in Spanish (any shipped catalog),
#                                   into build/screenshots-es/ (-es-end with --end)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
out="$build/screenshots"
args=()
lang=""
docs=""
while [ $# -gt 0 ]; do
  case "$1" in
    --docs) docs=1 ;;
    --end) args+=(--end) ;;
    --lang) [ $# -ge 2 ] || { echo "--lang needs a code" >&2; exit 2; }; lang="$2"; shift ;;
    *) echo "usage: $0 [--docs | --end] [--lang CODE]" >&2; exit 2 ;;
  esac
  shift
done
[ -n "$lang" ] && out="$out-$lang" && args+=(--lang "$lang")
[[ " ${args[*]-} " == *" --end "* ]] && out="$out-end"
[ -n "$docs" ] && out="$root/docs/screenshots"

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target pellisto_screenshots pellisto_dialog_screenshots pellisto_catalogs
# English texts and a fixed screen, whatever the desktop at hand.
LANGUAGE=en LC_ALL=C.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' \
  "$build/pellisto_screenshots" "$root/examples/firebird" "$out" ${args[@]+"${args[@]}"}
if [[ " ${args[*]-} " != *" --end "* ]]; then
  LANGUAGE=en LC_ALL=C.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' \
    "$build/pellisto_dialog_screenshots" "$out" ${lang:+--lang "$lang"}
fi
echo "screenshots written to $out"
