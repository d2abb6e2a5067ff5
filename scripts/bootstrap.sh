#!/usr/bin/env bash
# Installs the Debian 12 packages Pellisto needs to build, test and run,
# skipping those already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsimpleini-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gettext
  qt6-translations-l10n  # the toolkit's dialogs in the chosen language
  fonts-dejavu-core fonts-wine
  desktop-file-utils appstream
  file  # cpack -G DEB reads the programs' type with it
  # pellisto-conf.exe and the core's tests for Windows, run under Wine
  g++-mingw-w64-x86-64-posix googletest wine64
  # The window for Windows: Qt and gettext built from Debian's sources
  # (scripts/qt-windows.sh unpacks them with dpkg-source), and pellisto.exe
  # used by its keyboard on a virtual display
  dpkg-dev xvfb xauth xdotool
  # The Firebird 3.0 client library and its headers: a test compares what its
  # own configuration reader takes from firebird.conf with pellisto-conf get.
  # No server comes with them, and nothing is started.
  libfbclient2 firebird-dev
  # The format of the lines a change touches (scripts/check-format.sh).
  clang-format
  # The Ansible collection's tests: ansible-playbook, and the checkers of
  # ansible-test sanity that it would otherwise fetch from the package index.
  ansible-core python3-voluptuous yamllint pycodestyle pylint
)
if [ "${1:-}" = "--gui" ]; then
  # ca-certificates: the update check reads the product's site over https.
  packages+=(qt6-gtk-platformtheme xdg-utils ca-certificates)
fi
if [ "${1:-}" = "--screenshots" ]; then
  packages+=(xvfb xauth imagemagick)
fi
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang)
fi
if [ "${1:-}" = "--tidy" ]; then
  packages+=(clang-tidy)  # scripts/tidy.sh
fi
if [ "${1:-}" = "--bench" ]; then
  packages+=(valgrind)  # bench_startup counts instructions with callgrind
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
