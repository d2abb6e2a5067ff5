#!/usr/bin/env bash
# Builds the screenshot tools and writes a picture of each of the editor's ten
# pages, opened on the demo Firebird folder, of the page "Other parameters"
# on Debian's 3.0 file (when ../shared/samples holds it), and of the
# first-run, update, About and language dialogs. Needs xvfb-run (bootstrap.sh
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
  # The README pictures the first-run and update dialogs only.
  [ -n "$docs" ] && rm -f "$out/about.png" "$out/language.png"
fi

# The page of the parameters the ten do not show, on Debian's 3.0 file (one
# of the real files kept beside the repository); for the README in English
# and in Spanish.
sample="$root/../shared/samples/firebird-3.0.11-debian.conf"
if [ -f "$sample" ]; then
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  install -m 644 "$sample" "$scratch/firebird.conf"
  end=""
  pageArgs=()
  [[ " ${args[*]-} " == *" --end "* ]] && end="-end" && pageArgs+=(--end)
  languages=("${lang:-en}")
  [ -n "$docs" ] && languages=(en es)
  for code in "${languages[@]}"; do
    LANGUAGE=en LC_ALL=C.UTF-8 xvfb-run -a -s '-screen 0 1024x768x24' \
      "$build/pellisto_screenshots" "$scratch" "$scratch/$code" ${pageArgs[@]+"${pageArgs[@]}"} --lang "$code"
    suffix=""
    [ "$code" != en ] && [ -n "$docs" ] && suffix="-$code"
    cp "$scratch/$code/page-11-other-parameters$end.png" "$out/page-11-other-parameters-3.0$suffix$end.png"
  done
else
  echo "no 3.0 sample at $sample: the page of other parameters is not pictured" >&2
fi
echo "screenshots written to $out"
