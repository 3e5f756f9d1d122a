# CMake toolchain file: Debian 12 host -> 64-bit Windows (x86_64-w64-mingw32).
#
# Uses the *posix* thread-model variants of Debian's MinGW-w64 GCC
# (g++-mingw-w64-x86-64-posix). Qt 6 needs std::thread/std::mutex etc.,
# which the default "win32" thread-model compilers do not provide.
#
# Normally you do NOT pass this file directly when building a Qt program;
# pass the kit's  <kit>/lib/cmake/Qt6/qt.toolchain.cmake  instead (it loads
# this file, then adds the kit to the search paths and sets QT_HOST_PATH).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER  ${_mingw_triplet}-windres)
# gcc-ar/gcc-ranlib wrappers are not needed (no LTO); plain binutils are fine.
set(CMAKE_AR     ${_mingw_triplet}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB ${_mingw_triplet}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP  ${_mingw_triplet}-strip  CACHE FILEPATH "")

# Search headers/libraries/packages only in the MinGW sysroot (plus whatever
# is appended to CMAKE_FIND_ROOT_PATH, e.g. the Qt kit by qt.toolchain.cmake);
# search programs (moc, rcc, ...) only on the build host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Lets ctest (add_test with a target) run the .exe files through Wine.
# Use the 64-bit loader /usr/lib/wine/wine64 directly: Debian 12's wine 8.0
# has no wine64 in /usr/bin, and /usr/bin/wine (and wineboot, winecfg, ...)
# start the 32-bit loader /usr/lib/wine/wine first, which fails with "Exec
# format error" on kernels without 32-bit support. Harmless when Wine is
# absent. Programs still need the Qt/MinGW DLLs beside them (deploy-qt-mingw.sh)
# or on WINEPATH.
find_program(QT_MINGW_WINE NAMES wine64 wine HINTS /usr/lib/wine)
if(QT_MINGW_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QT_MINGW_WINE} CACHE FILEPATH "Runs Windows executables")
endif()
