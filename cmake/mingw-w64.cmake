# The toolchain of every Windows build: Debian's mingw-w64 compilers with the
# posix thread model (g++-mingw-w64-*-posix; Qt 6 and the stand-ins need
# std::thread and std::mutex, which the default "win32" ones lack), for
# 64-bit Windows or, with MERIDOX_MINGW_ARCH=i686, 32-bit Windows.
#
# Used by
#  - the program's Windows build (the "windows" presets), which names the Qt
#    kit in MERIDOX_QT_MINGW: the kit's own qt.toolchain.cmake is loaded over
#    this file and adds the kit to the search paths;
#  - the hosts and the Windows stand-ins (sdkhost/), both machine types, no kit;
#  - the Qt kit's own build (scripts/build-qt-mingw.sh), which keeps a copy in
#    the kit as mingw64-toolchain.cmake.
if(NOT MERIDOX_MINGW_ARCH)
  set(MERIDOX_MINGW_ARCH x86_64)
endif()
# try_compile projects read this file again and need the same choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MERIDOX_MINGW_ARCH MERIDOX_QT_MINGW)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MERIDOX_MINGW_ARCH})
set(_mingw_triplet ${MERIDOX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_triplet}-windres)
# Plain binutils (no link-time optimisation, so no gcc-ar wrappers).
set(CMAKE_AR ${_mingw_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_mingw_triplet}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${_mingw_triplet}-strip CACHE FILEPATH "")

# Headers, libraries and packages from the MinGW sysroot only (and the Qt kit
# below); programs (moc, rcc, sqlite3) from the build host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Qt kit: its toolchain file loads this one again (QT_CHAINLOAD_...), which
# then stops here, and points QT_HOST_PATH at the host's Qt for moc, rcc, uic.
if(MERIDOX_QT_MINGW AND NOT _meridox_loading_qt_kit)
  if(NOT EXISTS ${MERIDOX_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake)
    message(FATAL_ERROR "MERIDOX_QT_MINGW=${MERIDOX_QT_MINGW} holds no Qt kit "
                        "(lib/cmake/Qt6/qt.toolchain.cmake is missing)")
  endif()
  set(_meridox_loading_qt_kit ON)
  set(QT_CHAINLOAD_TOOLCHAIN_FILE ${CMAKE_CURRENT_LIST_FILE})
  include(${MERIDOX_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake)
  unset(_meridox_loading_qt_kit)
endif()
