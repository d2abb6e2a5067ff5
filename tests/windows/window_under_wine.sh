#!/usr/bin/env bash
# window_under_wine.sh PELLISTO_EXE LOCALE_DIR SAMPLES_DIR [SCREENSHOT]
#
# Runs the Windows pellisto.exe under wine64 on a virtual X display, with the
# windows platform plugin, and uses it as a user does, by its keyboard:
#
#  1. No Config.ini, Firebird registered by its installer (DefaultInstance):
#     the first-run dialog offers that folder (the 2.1.7 sample), Done saves
#     it; in the editor TempBlockSize is found by the search box, changed
#     and applied.
#  2. No Config.ini, FIREBIRD names another folder (Debian's 3.0 file): the
#     dialog offers that one instead; the same change is applied there, and
#     the language dialog and About open from the menus.
#  3. Config.ini names the folder: the editor opens at once.
#
# After each change the file differs from the sample only in the line
# changed (and in the access policies that the first Apply writes as active
# lines, with the values the server already read), and every line ends with
# CR LF. Needs xvfb-run and xdotool; WINE64 (the program) and WINEPREFIX come
# from the caller.
# Given SCREENSHOT (and ImageMagick's import), the editor on the 3.0 file is
# pictured there.
set -euo pipefail
exe=$1 locale=$2 samples=$3 screenshot=${4:-}

for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
wine64() { "${WINE64:?}" "$@"; }
for sample in firebird-2.1.7.conf firebird-3.0.11-debian.conf; do
  [ -f "$samples/$sample" ] || { echo "SKIP: no $sample in $samples"; exit 77; }
done

if [ -z "${DISPLAY_FOR_WINE:-}" ]; then
  # Once more, on a display of its own (the screen as large as a desktop's).
  DISPLAY_FOR_WINE=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$@"
fi

scratch=$(mktemp -d)
app=$scratch/app
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pid=""
instances='HKLM\Software\Firebird Project\Firebird Server\Instances'
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wine64 reg delete "$instances" /v DefaultInstance /f >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$app"
cp "$exe" "$app/pellisto.exe"
cp -r "$locale" "$app/locale"
for version in 2.1 3.0; do
  mkdir -p "$scratch/fb$version"
done
install -m 644 "$samples/firebird-2.1.7.conf" "$scratch/fb2.1/firebird.conf"
install -m 644 "$samples/firebird-3.0.11-debian.conf" "$scratch/fb3.0/firebird.conf"

# A folder of the build machine as Windows sees it (drive Z: is /).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
ini="$app/Config.ini"
saved_path() { tr -d '\r' <"$ini" 2>/dev/null | sed -n 's/^Path=//p'; }

# The windows shown that are titled exactly so.
ids() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
windows() { ids "$1" | grep -c . || true; }
# Waits for a window so titled that is not among the given ones (a first
# one, or a message box titled as the program over the editor), and gives
# it the keyboard; pictures the screen and gives up after three minutes (a
# loaded machine starts Wine slowly).
wait_window() {
  local title=$1 before=${2:-} id
  for _ in $(seq 1800); do
    id=$(ids "$title" | grep -vxF -e "${before:-none}" | tail -n1 || true)
    if [ -n "$id" ]; then
      sleep 1  # drawn and ready for keys
      xdotool windowfocus --sync "$id" 2>/dev/null || true
      return 0
    fi
    sleep 0.1
  done
  fail "no window \"$title\" appeared"
  command -v import >/dev/null && import -window root "$PWD/window-under-wine-failed.png" || true
  return 1
}
wait_gone() {
  local title=$1
  for _ in $(seq 600); do
    [ "$(windows "$title")" -eq 0 ] && return 0
    sleep 0.1
  done
  fail "window \"$title\" did not close"
  return 1
}
keys() { xdotool key --delay 150 "$@"; sleep 0.3; }
typed() { xdotool type --delay 100 "$1"; sleep 0.3; }
start() {
  wine64 "$app/pellisto.exe" >>"$scratch/wine.log" 2>&1 &
  pid=$!
}
ended() {
  for _ in $(seq 1200); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; pid=""; return 0; }
    sleep 0.1
  done
  fail "pellisto.exe did not end"
  kill "$pid" 2>/dev/null || true
  wait "$pid" || true
  pid=""
}

# TempBlockSize through the search box: found, focused, typed, and applied
# with the button (five steps on in the page's tab order), the restart
# notice acknowledged, and the window closed with Esc.
change_temp_block_size() {
  keys ctrl+a BackSpace
  typed TempBlockSize
  keys Return
  keys ctrl+a
  typed 2048
  keys Tab Tab Tab Tab Tab
  local shown
  shown=$(ids Pellisto)
  keys Return
  # The restart notice is titled as the program.
  wait_window Pellisto "$shown" && keys Return
  keys Escape
}

# The file as saved against the sample: only TempBlockSize's line and the
# first Apply's access-policy lines differ, those uncommented as they were;
# every line ends with CR LF.
check_saved() {
  local sample=$1 file=$2
  local changes
  changes=$(diff --old-line-format='-%L' --new-line-format='+%L' --unchanged-line-format='' \
    <(tr -d '\r' <"$sample") <(tr -d '\r' <"$file") || true)
  local expected_temp="+TempBlockSize = 2048"
  grep -qx -- "$expected_temp" <<<"$changes" || fail "$file: no line \"TempBlockSize = 2048\""
  local others
  others=$(grep -v -x -e "$expected_temp" -e '-#TempBlockSize = .*' <<<"$changes" || true)
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    case "$line" in
      -\#DatabaseAccess\ =* | -\#ExternalFileAccess\ =* | -\#UdfAccess\ =* | -\#TempDirectories\ =*)
        grep -qxF -- "+${line:2}" <<<"$others" || grep -qxF -- "+${line:2} " <<<"$others" ||
          fail "$file: \"${line:1}\" was not only uncommented" ;;
      +DatabaseAccess\ =* | +ExternalFileAccess\ =* | +UdfAccess\ =* | +TempDirectories\ =*) ;;
      *) fail "$file: unexpected change: $line" ;;
    esac
  done <<<"$others"
  [ "$(wc -l <"$file")" = "$(wc -l <"$sample")" ] || fail "$file: the number of lines changed"
  if grep -q $'[^\r]$' "$file" || grep -q '^$' "$file"; then
    fail "$file: a line does not end with CR LF"
  fi
}

registered=$(windows_path "$scratch/fb2.1/")
wine64 reg add "$instances" /v DefaultInstance /t REG_SZ /d "$registered" /f >>"$scratch/wine.log" 2>&1

echo "1. folder from the registry, 2.1.7"
unset FIREBIRD
start
if wait_window "Welcome to Pellisto"; then
  keys alt+d
  if wait_window Pellisto; then
    [ "$(saved_path)" = "$registered" ] || fail "Path saved as \"$(saved_path)\", not \"$registered\""
    change_temp_block_size
  fi
fi
ended
check_saved "$samples/firebird-2.1.7.conf" "$scratch/fb2.1/firebird.conf"

echo "2. folder from FIREBIRD, Debian's 3.0"
rm -f "$ini"
FIREBIRD=$(windows_path "$scratch/fb3.0") start
if wait_window "Welcome to Pellisto"; then
  keys alt+d
  if wait_window Pellisto; then
    expected=$(windows_path "$scratch/fb3.0/")
    [ "$(saved_path)" = "$expected" ] || fail "Path saved as \"$(saved_path)\", not \"$expected\""
    if [ -n "$screenshot" ] && command -v import >/dev/null; then
      import -window root "$scratch/screen.png"
      cp "$scratch/screen.png" "$screenshot"
    fi
    change_temp_block_size
  fi
fi
ended
check_saved "$samples/firebird-3.0.11-debian.conf" "$scratch/fb3.0/firebird.conf"

echo "3. folder from Config.ini, and the dialogs of the menus"
start
if wait_window Pellisto; then
  [ "$(windows "Welcome to Pellisto")" -eq 0 ] || fail "the first-run dialog showed"
  # Preferences > Select language; Help > About (the last item).
  keys alt Right Down Return
  wait_window "Select language" && keys Escape && wait_gone "Select language"
  keys alt Left Down Up Return
  wait_window About && keys Escape && wait_gone About
  keys Escape
fi
ended

if [ "$failures" -gt 0 ]; then
  echo "--- wine's output"
  tail -n 40 "$scratch/wine.log"
  exit 1
fi
echo "pellisto.exe ran, was used and saved as it should under Wine"
