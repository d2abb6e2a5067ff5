#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the Linux
# build, then the Windows build (the window, the core and pellisto-conf)
# under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/bootstrap.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# Everything built for Windows, its tests run under Wine (headless; the Wine
# prefix lives in build-windows/). The window links the static Qt 6 that
# qt-windows.sh builds from Debian's sources into the user's cache: about
# half an hour the first time, nothing once it is there.
qt="$(bash "$root/scripts/qt-windows.sh" | tail -n1)"
toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
# A build folder made with another toolchain (an older Qt, or none) starts
# afresh: CMake reads the toolchain only when it first configures.
if [ -f "$root/build-windows/CMakeCache.txt" ] &&
   ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$root/build-windows/CMakeCache.txt"; then
  rm -rf "$root/build-windows"
fi
cmake -S "$root" -B "$root/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/windows-mingw64.cmake" \
  -DPELLISTO_BUILD_WINDOW=ON >/dev/null
cmake --build "$root/build-windows" -j"$(nproc)"
cd "$root/build-windows"
ctest --output-on-failure
