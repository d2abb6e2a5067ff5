#!/usr/bin/env bash
# Builds what the window for Windows links against, from Debian's own sources
# and with Debian's own mingw-w64 compilers: a static release Qt 6 (Core, Gui,
# Widgets, Network with Schannel, Test; the windows, offscreen and minimal
# platform plugins, the windowsvista style), GNU libintl and SimpleIni.
#
# Everything goes into one folder of the user's cache,
#   ${XDG_CACHE_HOME:-~/.cache}/pellisto/qt6-windows-<key>/
# where <key> sums up the source versions, Qt's configure line, this recipe
# and the compiler's version: a change to any of them builds a new folder, and
# a folder that is complete is used as it is (the script then does nothing).
# The folder's path is the last line the script prints.
#
# The sources come from Debian's archive through apt (a deb-src entry for it
# is added when apt has none) and are unpacked with Debian's patch series
# applied, so that Debian's security fixes are in. Qt's host tools (moc, rcc,
# uic) are Debian's qt6-base-dev-tools of the very same version.
#
# A first build takes 72 minutes of CPU (38 minutes on 2 idle cores); it runs under nice with
# at most PELLISTO_QT_JOBS jobs (default 2). Only one build runs at a time:
# a second caller waits for the first and then uses its result. A build that
# was stopped (or failed on a network error) leaves its work folder behind,
# marked with the key; the next run picks it up at the step it reached, and a
# finished build removes every work folder left in the cache.
set -euo pipefail

mingw=x86_64-w64-mingw32
jobs="${PELLISTO_QT_JOBS:-2}"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/pellisto"
# Raised whenever the steps below change in a way the key does not see.
recipe=1

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

log() { echo "qt-windows: $*" >&2; }

# The host Qt's tools run inside the cross build, so the source is the version
# of the installed host Qt; gettext's is the installed one's too.
source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
qt_version="$(source_version qt6-base-dev)"
gettext_version="$(source_version gettext)"
simpleini_version="$(dpkg-query -W -f='${Version}' libsimpleini-dev)"
compiler="$($mingw-g++-posix --version | head -n1); mingw-w64 $(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)"

# The toolchain Qt is built with: Debian's -posix compilers (std::thread).
toolchain="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $mingw-gcc-posix)
set(CMAKE_CXX_COMPILER $mingw-g++-posix)
set(CMAKE_RC_COMPILER $mingw-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$mingw)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)"

# Qt's configure line (the prefix and the toolchain file are added below).
# - Every third-party library is Qt's own copy: nothing of the build machine
#   is linked in, and pkg-config (which would find the host's) stays off.
# - tabletevent: Debian strips the wintab header from the source.
# - directwrite3: with it on, Qt 6.4.2's windows plugin needs a font database
#   class that is compiled only with direct2d, and nothing links.
qt_configure=(
  -release -static -qt-host-path /usr
  -nomake tests -nomake examples
  -no-pkg-config -no-icu -no-zstd -no-glib -no-dbus -no-opengl
  -qt-zlib -qt-libpng -no-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype -qt-doubleconversion
  -schannel -no-openssl
  -no-feature-sql -no-feature-printsupport -no-feature-xml -no-feature-concurrent
  -no-feature-tabletevent -no-feature-directwrite3
  --
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)

# libintl's configure line (gettext-runtime).
intl_configure=(
  --host=$mingw CC=$mingw-gcc-posix CXX=$mingw-g++-posix
  --enable-static --disable-shared --disable-java --disable-csharp
  --disable-libasprintf --disable-openmp --without-libiconv-prefix am_cv_func_iconv=no
)

key_text="recipe $recipe
qt6-base $qt_version
gettext $gettext_version
simpleini $simpleini_version
compiler $compiler
configure ${qt_configure[*]}
intl ${intl_configure[*]}
$toolchain"
key="$(printf '%s\n' "$key_text" | sha256sum | cut -c1-16)"
prefix="$cache/qt6-windows-${qt_version%%+*}-$key"

# SimpleIni takes seconds, so it has a mark of its own: a change to how it
# is built makes it again without building Qt again.
simpleini_text="simpleini 2 $simpleini_version; licenses 1"
built() { [ -f "$prefix/$1" ] && [ "$(cat "$prefix/$1")" = "$2" ]; }
complete() { built .complete "$key_text" && built .simpleini "$simpleini_text"; }
if complete; then
  echo "$prefix"
  exit 0
fi

# SimpleIni: Debian's package holds the header and, for Linux, a library of
# its member definitions (the header defines them under SI_IMPLEMENTATION);
# the same header compiled with mingw gives the one for Windows, for the
# variant the program uses (SI_NO_CONVERSION: the file's bytes as they are).
build_simpleini() {
  log "building SimpleIni"
  local dir
  dir="$(mktemp -d)"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp /usr/include/SimpleIni.h "$prefix/include/"
  printf '%s\n' '#define SI_NO_CONVERSION' '#define SI_IMPLEMENTATION' '#include "SimpleIni.h"' \
    'template class CSimpleIniTempl<char, SI_NoCase<char>, SI_ConvertA<char>>;' >"$dir/SimpleIni.cpp"
  $mingw-g++-posix -std=c++20 -O2 -I"$prefix/include" -c "$dir/SimpleIni.cpp" -o "$dir/SimpleIni.o" &&
    rm -f "$prefix/lib/libsimpleini.a" &&
    $mingw-ar rcs "$prefix/lib/libsimpleini.a" "$dir/SimpleIni.o" ||
    { rm -rf "$dir"; log "SimpleIni failed"; exit 1; }
  rm -rf "$dir"
  # What the package shows of those built in: Debian's copyright files of
  # the three sources, the licences they name, and which sources they are.
  mkdir -p "$prefix/licenses"
  cp /usr/share/doc/libqt6core6/copyright "$prefix/licenses/qt6-base.copyright.txt"
  cp /usr/share/doc/gettext-base/copyright "$prefix/licenses/gettext.copyright.txt"
  cp /usr/share/doc/libsimpleini-dev/copyright "$prefix/licenses/simpleini.copyright.txt"
  for licence in LGPL-3 LGPL-2.1 GPL-3; do
    cp "/usr/share/common-licenses/$licence" "$prefix/licenses/$licence.txt"
  done
  printf '%s\n' "Built from Debian's source packages (apt-get source, Debian's patches applied):" \
    "  qt6-base $qt_version" "  gettext $gettext_version (libintl)" "  simpleini $simpleini_version" \
    >"$prefix/licenses/SOURCES.txt"
  printf '%s\n' "$simpleini_text" >"$prefix/.simpleini"
}

mkdir -p "$cache"
exec 9>"$cache/.build.lock"
if ! flock -n 9; then
  log "waiting for another build of the Windows libraries to finish"
  flock 9
fi
if built .complete "$key_text"; then
  built .simpleini "$simpleini_text" || build_simpleini
  echo "$prefix"
  exit 0
fi

# The archive may be briefly out of reach: apt is tried a few times before
# the build gives up.
retry() {
  local attempt
  for attempt in 1 2 3 4; do
    "$@" && return 0
    [ "$attempt" = 4 ] && break
    log "'$*' failed, trying again in $((attempt * 15)) s"
    sleep $((attempt * 15))
  done
  return 1
}

# apt fetches sources only from deb-src entries; add Debian's own archive
# (the release this machine runs) when there is none.
have_sources() { apt-get source --print-uris "qt6-base=$qt_version" >/dev/null 2>&1; }
if ! have_sources; then
  codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  list=/etc/apt/sources.list.d/pellisto-debian-src.sources
  log "adding Debian's source archive to apt ($list)"
  $SUDO tee "$list" >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  retry $SUDO apt-get update -qq || { log "apt-get update failed"; exit 1; }
  have_sources || { log "apt has no source for qt6-base $qt_version"; exit 1; }
fi

# Resume a work folder of this very key, or start a new one (mktemp: a
# private folder of our own, never one somebody else made).
work=""
for dir in "$cache"/build.*; do
  if [ -d "$dir" ] && [ ! -L "$dir" ] && [ -O "$dir" ] && [ -f "$dir/key" ] &&
     [ "$(cat "$dir/key")" = "$key_text" ]; then
    work="$dir"
    log "resuming the build in $work"
    break
  fi
done
if [ -z "$work" ]; then
  work="$(mktemp -d "$cache/build.XXXXXX")"
  printf '%s\n' "$key_text" >"$work/key"
fi
# Each step leaves a mark in the work folder once it has finished.
reached() { [ -f "$work/.step-$1" ]; }
mark() { touch "$work/.step-$1"; }
trap 'log "stopped; the next run resumes from $work"' ERR
if ! reached libraries; then
  rm -rf "$prefix"
fi
mkdir -p "$prefix"
start=$SECONDS

# apt checks the sources against the archive's signed index; dpkg-source
# unpacks them and applies debian/patches in the order of its series.
fetch() {
  local package="$1" version="$2"
  local dir
  dir="$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n1)"
  if ! reached "fetch-$package"; then
    # What a stopped fetch left is unpacked afresh.
    [ -z "$dir" ] || rm -rf "$dir"
    retry sh -c 'cd "$1" && apt-get source -qq "$2" >/dev/null 2>&1' sh "$work" "$package=$version" ||
      { log "apt-get source $package=$version failed"; exit 1; }
    dir="$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n1)"
    mark "fetch-$package"
  fi
  if [ -f "$dir/debian/patches/series" ]; then
    local wanted applied
    wanted="$(grep -cv '^\s*\(#\|$\)' "$dir/debian/patches/series" || true)"
    applied="$(grep -c . "$dir/.pc/applied-patches" 2>/dev/null || true)"
    [ "$wanted" = "$applied" ] ||
      { log "$package: $applied of Debian's $wanted patches applied"; exit 1; }
    log "$package $version: Debian's $applied patches applied"
  fi
  echo "$dir"
}

log "fetching qt6-base $qt_version and gettext $gettext_version"
qt_src="$(fetch qt6-base "$qt_version")"
gettext_src="$(fetch gettext "$gettext_version")"

# GNU libintl: Debian ships none for mingw-w64; gettext-runtime's intl/ is it.
if ! reached libraries; then
log "building libintl"
(
  cd "$gettext_src/gettext-runtime"
  # Debian's patches change configure.ac and Makefile.am files (Java, and the
  # link flags of the shared library), and Debian rebuilds the autotools
  # output from them. A static libintl needs neither change, so the
  # generated files are taken as they come, marked as up to date.
  stamp="$(date +%s)"
  find . \( -name aclocal.m4 -o -name configure -o -name config.h.in -o -name Makefile.in \) \
    -exec touch -d "@$stamp" {} +
  # dcigettext.c calls _wgetcwd without its header, which a 64-bit build
  # takes for a function returning int: the pointer it returns would be cut
  # in half. direct.h declares it.
  sed -i 's|^#include <locale.h>$|&\n#ifdef _WIN32\n# include <direct.h>\n#endif|' intl/dcigettext.c
  grep -q '<direct.h>' intl/dcigettext.c
  nice -n 10 ./configure -q --prefix="$prefix" "${intl_configure[@]}" >/dev/null
  nice -n 10 make -s -j"$jobs" -C intl >/dev/null
  make -s -C intl install >/dev/null
) || { log "libintl failed"; exit 1; }

build_simpleini
mark libraries
fi

if ! reached configure; then
log "configuring Qt"
printf '%s\n' "$toolchain" >"$work/toolchain.cmake"
rm -rf "$work/qt-build"
mkdir -p "$work/qt-build"
(
  cd "$work/qt-build"
  nice -n 10 "$qt_src/configure" -prefix "$prefix" "${qt_configure[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" >"$work/qt-configure.log" 2>&1
) || { tail -n 40 "$work/qt-configure.log" >&2; log "Qt's configure failed"; exit 1; }
mark configure
fi
log "building Qt with $jobs jobs (about 35 minutes on 2 idle cores)"
nice -n 10 cmake --build "$work/qt-build" --parallel "$jobs" >"$work/qt-build.log" 2>&1 ||
  { grep -m5 -B2 -A8 'error' "$work/qt-build.log" >&2 || tail -n 40 "$work/qt-build.log" >&2
    log "Qt's build failed"; exit 1; }
cmake --install "$work/qt-build" >/dev/null

printf '%s\n' "$key_text" >"$prefix/.complete"
trap - ERR
# The lock is held: no other build is running, so every work folder left in
# the cache (this one, and those of stopped builds) is stale.
for dir in "$cache"/build.*; do
  if [ -d "$dir" ] && [ ! -L "$dir" ] && [ -O "$dir" ]; then rm -rf "$dir"; fi
done
log "done in $(( (SECONDS - start) / 60 )) min: $prefix"
echo "$prefix"
