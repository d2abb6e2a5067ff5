#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the Linux
# build, then the core and pellisto-conf for Windows under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/bootstrap.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The core and pellisto-conf built for Windows, their tests run under Wine
# (headless; the Wine prefix lives in build-windows/).
cmake -S "$root" -B "$root/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows-mingw64.cmake" >/dev/null
cmake --build "$root/build-windows" -j"$(nproc)"
cd "$root/build-windows"
ctest --output-on-failure
