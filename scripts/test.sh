#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the Linux
# build, the core and pellisto-conf once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, then everything built for Windows (the window,
# the core and pellisto-conf) under Wine. Where CI is set, any compiler
# warning stops the build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
strict=()
if [ -n "${CI:-}" ] && [ "${CI}" != "false" ]; then
  strict=(-DPELLISTO_WERROR=ON)
fi
bash "$root/scripts/bootstrap.sh"
bash "$root/scripts/build.sh" "${strict[@]}"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The core's, the command line's and the save helper's tests under the
# sanitizers: only their targets are built, without Qt (build-sanitize/).
sanitized=(config_tests cli_tests engine_tests helper_tests)
cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPELLISTO_BUILD_WINDOW=OFF -DPELLISTO_SANITIZE=ON "${strict[@]}" >/dev/null
cmake --build "$root/build-sanitize" -j"$(nproc)" --target "${sanitized[@]}" pellisto-conf pellisto-save-helper test_child
cd "$root/build-sanitize"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -R "^($(IFS='|'; echo "${sanitized[*]}"))\$"

# Everything built for Windows, its tests run under Wine (headless; the Wine
# prefix lives in build-windows/). The window links the static Qt 6 that
# qt-windows.sh builds from Debian's sources into the user's cache: about
# 40 minutes the first time on 2 idle cores, nothing once it is there.
qt="$(bash "$root/scripts/qt-windows.sh" | tail -n1)"
toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
# A build folder made with another toolchain (an older Qt, or none) starts
# afresh: CMake reads the toolchain only when it first configures.
# (The cache stores the file as FILEPATH or UNINITIALIZED, as it was given.)
if [ -f "$root/build-windows/CMakeCache.txt" ] &&
   [ "$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$root/build-windows/CMakeCache.txt")" != "$toolchain" ]; then
  rm -rf "$root/build-windows"
fi
cmake -S "$root" -B "$root/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/windows-mingw64.cmake" \
  -DPELLISTO_BUILD_WINDOW=ON "${strict[@]}" >/dev/null
cmake --build "$root/build-windows" -j"$(nproc)"
cd "$root/build-windows"
ctest --output-on-failure
