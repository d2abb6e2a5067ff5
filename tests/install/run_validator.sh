#!/bin/sh
# run_validator.sh TOOL PACKAGE COMMAND...: runs a validator, failing on any
# complaint it prints; exits 77 (skipped) when TOOL is not installed.
tool=$1 package=$2
shift 2
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "skipped: $tool is not installed (Debian package $package)"
  exit 77
fi
output=$("$@" 2>&1)
status=$?
printf '%s\n' "$output"
[ "$status" -eq 0 ] || exit "$status"
# desktop-file-validate reports warnings and hints but still exits 0.
if [ "$tool" = desktop-file-validate ] && [ -n "$output" ]; then exit 1; fi
exit 0
