# The Windows build: cross-built with mingw-w64 against the Qt kit, run here
# under Wine (64-bit loader). Included by the top CMakeLists.txt when WIN32.

find_program(MERIDOX_WINE NAMES wine64 HINTS /usr/lib/wine NO_CACHE)
if(NOT MERIDOX_WINE)
  message(FATAL_ERROR "The Windows build runs its own steps under wine64: install wine64")
endif()
# Every Windows program the build or ctest runs goes through wine-run.sh,
# which holds the prefix and Wine's settings: no step depends on the
# caller's environment.
set(MERIDOX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(MERIDOX_WINE_PREFIX_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
# A host may take a minute or more to start where the processor is
# emulated: the tests give it five.
set(MERIDOX_WINE_ENVIRONMENT WINEPREFIX=${MERIDOX_WINE_PREFIX} WINEARCH=win64
  WINELOADER=${MERIDOX_WINE} WINEDEBUG=-all MERIDOX_HOST_START_SECONDS=300)

# The Qt kit's folder, from the toolchain file that loaded it.
get_filename_component(MERIDOX_QT_KIT ${Qt6_DIR}/../../.. ABSOLUTE)

# Copies the Qt, SQLite, MariaDB and compiler DLLs and the plugins beside the
# programs of FOLDER, so each runs with no WINEPATH (cp -u: a build with
# nothing new copies nothing).
function(meridox_deploy_qt target folder)
  add_custom_target(${target} ALL
    COMMAND ${CMAKE_COMMAND} -E env "QT_MODULES=Core Gui Widgets Sql Network Test"
            bash ${MERIDOX_QT_KIT}/bin/deploy-qt-mingw.sh ${folder} ${MERIDOX_QT_KIT}
    # Copies of a read-only kit would be read-only files in Windows' sense,
    # which a test's temporary folder holding links to them cannot delete.
    COMMAND chmod -R u+w ${folder}
    COMMENT "Qt DLLs and plugins into ${folder}"
    VERBATIM)
endfunction()
meridox_deploy_qt(deploy_qt ${MERIDOX_BIN_DIR})
