#!/usr/bin/env bash
# Runs clang-tidy (Debian's) with the checks of .clang-tidy over the sources
# under src/, as build/ compiles them (build/compile_commands.json; built
# first, so that the layouts' generated headers exist). Any finding fails.
# Takes some minutes on two cores, so it is not part of scripts/test.sh.
#   bash scripts/tidy.sh [FILE...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tidy=""
for candidate in run-clang-tidy run-clang-tidy-14; do
  if command -v "$candidate" >/dev/null; then tidy="$candidate"; break; fi
done
if [ -z "$tidy" ]; then
  bash "$root/scripts/bootstrap.sh" --tidy
  tidy=run-clang-tidy
fi
bash "$root/scripts/build.sh" >/dev/null
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(cd "$root" && find src -name '*.cpp' | sort)
fi
# A regular expression of the files, as run-clang-tidy takes them.
pattern="$(printf '%s|' "${files[@]}" | sed 's/[.]/\\./g; s/|$//')"
cd "$root"
"$tidy" -quiet -p build -j "$(nproc)" "($pattern)\$"
