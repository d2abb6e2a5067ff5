# Cross-build for 64-bit Windows with Debian's mingw-w64 (the -posix compilers:
# std::thread and std::mutex need them). Only the core and pellisto-conf are
# built this way; the window needs a Qt for Windows.
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-mingw64.cmake
#   cmake --build build-windows --target pellisto-conf
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLISTO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELLISTO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLISTO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PELLISTO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELLISTO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that runs alone: the C++ runtime and winpthreads linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine (headless; the prefix lives in the build folder, see
# tests/CMakeLists.txt).
find_program(PELLISTO_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PELLISTO_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELLISTO_WINE64})
endif()
