#!/usr/bin/env bash
# Gathers every text the program translates into po/default.pot (from the
# window layouts and the texts marked N_ in the code) and merges the template
# into each po/<code>.po: new texts arrive there untranslated, changed ones
# marked fuzzy. Needs the gettext tools (msgmerge).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" --target pellisto_extract_texts
"$root/build/pellisto_extract_texts" "$root"
for po in "$root"/po/*.po; do
  [ -e "$po" ] || continue
  msgmerge --quiet --update --backup=none "$po" "$root/po/default.pot"
done
echo "po/default.pot updated; translate the new entries in po/*.po"
