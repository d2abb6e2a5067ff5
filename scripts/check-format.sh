#!/usr/bin/env bash
# Checks that the lines a change touches follow .clang-format (Debian's
# clang-format), uncommitted changes included: those of this branch since
# it left main; where the branch merged others' work, or on main itself,
# those of the last commit (a merge brings lines checked on their own
# branch). Older lines are left as they are. A tree without that history (an
# export, a shallow clone of one commit) has nothing to compare and passes;
# a machine without clang-format skips (exit 77, a skip for CTest).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

formatdiff=""
for candidate in clang-format-diff clang-format-diff-14; do
  if command -v "$candidate" >/dev/null; then formatdiff="$candidate"; break; fi
done
if [ -z "$formatdiff" ] || ! command -v clang-format >/dev/null; then
  echo "clang-format is not installed: nothing checked"
  exit 77
fi
if ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
  echo "no history here: nothing to compare"
  exit 0
fi

head="$(git rev-parse HEAD)"
base=""
for ref in main origin/main; do
  if git rev-parse --verify -q "$ref" >/dev/null; then
    base="$(git merge-base HEAD "$ref" 2>/dev/null || true)"
    [ -n "$base" ] && break
  fi
done
if [ -z "$base" ] || [ "$base" = "$head" ] || [ -n "$(git rev-list --merges "$base..HEAD")" ]; then
  if [ -n "$(git rev-list --merges -n 1 HEAD~1..HEAD 2>/dev/null)" ]; then
    base="$head"  # a merge: only what is not committed yet
  else
    base="$(git rev-parse --verify -q HEAD~1 || true)"
  fi
fi
if [ -z "$base" ]; then
  echo "no earlier commit: nothing to compare"
  exit 0
fi

changes="$(git diff -U0 --no-color --diff-filter=AMR "$base" -- \
  'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp')"
problems="$(printf '%s\n' "$changes" | "$formatdiff" -p1 -style=file)"
if [ -n "$problems" ]; then
  printf '%s\n' "$problems"
  echo
  echo "These changed lines do not follow .clang-format; to format them:"
  echo "  git diff -U0 $base -- src tests bench tools | $formatdiff -p1 -i"
  exit 1
fi
echo "the lines changed since ${base:0:12} follow .clang-format"
