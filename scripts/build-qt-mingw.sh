#!/usr/bin/env bash
# Builds the Qt kit for 64-bit Windows (Qt 6 qtbase for x86_64-w64-mingw32,
# posix threads, with SQLite as sqlite3.dll and MariaDB Connector/C for the
# MySQL driver) from Debian 12's own source packages, for
# scripts/build-windows.sh. Not run by CI, which takes a prebuilt kit.
#
#   scripts/build-qt-mingw.sh KIT_DIR [TARBALL]
#     KIT_DIR  where the kit is installed (emptied first; refused when it
#              holds anything but an earlier kit); then
#                export MERIDOX_QT_MINGW=KIT_DIR
#     TARBALL  the kit packed (default: KIT_DIR/../qt6-mingw64-VERSION.tar.xz,
#              with its checksum in TARBALL.sha256); its one top folder is always
#              qt6-mingw64/, so MERIDOX_QT_MINGW may name the tarball too
#              (scripts/windows-kit.sh unpacks it once into a cache)
#   environment:
#     WORK=/tmp/qt-mingw-kit-work  sources and build trees (kept: stages
#                                  that finished are skipped on a re-run;
#                                  delete $WORK/stamps or $WORK to redo them)
#     JOBS=$(nproc)                parallel compile jobs (every build runs at nice 19)
#     SKIP_APT=1                   install no build dependencies
#
# Needs Debian's archive with source entries (deb-src) for the same suites as
# the binary ones, and root (or sudo) for apt-get install. Takes about an
# hour on two cores, nearly all of it the qtbase compile.
set -euo pipefail

PREFIX=${1:?usage: scripts/build-qt-mingw.sh KIT_DIR [TARBALL]}
TARBALL=${2:-}
WORK=${WORK:-/tmp/qt-mingw-kit-work}
JOBS=${JOBS:-$(nproc)}
# The toolchain file and the deploy script the kit carries are the project's:
# its one Windows toolchain, and the kit's deploy script.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HERE=$ROOT/packaging/windows/kit
PROJECT_TOOLCHAIN=$ROOT/cmake/mingw-w64.cmake
TRIPLET=x86_64-w64-mingw32
NICE=(nice -n 19)

mkdir -p "$WORK/src" "$WORK/deps" "$WORK/stamps"
PREFIX=$(realpath -m "$PREFIX")
DEPS=$WORK/deps
log() { printf '\n=== %s: %s\n' "$(date +%H:%M:%S)" "$*"; }
if [[ $(id -u) == 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  as_root=(false)
fi
done_stage() { [[ -e $WORK/stamps/$1 ]]; }
mark_stage() { touch "$WORK/stamps/$1"; }

# ---------------------------------------------------------------------------
# 0. Build dependencies (all from Debian 12).
#    *-posix compilers: Qt 6 needs the posix thread model (std::thread,
#    std::mutex); Debian's default mingw g++ alternative is the win32 one.
#    qt6-base-dev(-tools): the host moc/rcc/uic of the SAME Qt version, used
#    through QT_HOST_PATH (a cross build of qtbase does not build its tools).
#    tcl: SQLite's amalgamation generator is a Tcl script.
#    dpkg-dev: apt-get source unpacks with dpkg-source.
# ---------------------------------------------------------------------------
if [[ -z ${SKIP_APT:-} ]]; then
  log "installing build dependencies"
  "${as_root[@]}" apt-get install -y --no-install-recommends \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    mingw-w64-x86-64-dev mingw-w64-tools cmake ninja-build tcl dpkg-dev xz-utils \
    build-essential qt6-base-dev qt6-base-dev-tools || {
    echo "Installing the build dependencies failed (root or sudo is needed; SKIP_APT=1 skips it)" >&2
    exit 1
  }
fi

# The host Qt and the kit must be the same version (Qt refuses otherwise), so
# take the qt6-base source of exactly the installed qt6-base-dev.
QT_DEB_VERSION=$(dpkg-query -W -f='${Version}' qt6-base-dev)
QT_VERSION=${QT_DEB_VERSION%%+*}          # 6.4.2
case $QT_VERSION in 6.4.*) ;; *) echo "expected host Qt 6.4.x, got $QT_DEB_VERSION" >&2; exit 1;; esac
TARBALL=$(realpath -m "${TARBALL:-$(dirname "$PREFIX")/qt6-mingw64-$QT_VERSION.tar.xz}")
mkdir -p "$(dirname "$TARBALL")"

# apt-get source needs the source index: say how to get it when it is missing.
if [[ -z $(apt-cache showsrc qt6-base 2>/dev/null) ]]; then
  cat >&2 <<'MSG'
apt knows no source packages. Add "deb-src" to the Types: line of
/etc/apt/sources.list.d/debian.sources (or a deb-src line for every deb line
of /etc/apt/sources.list), run apt-get update, then start again.
MSG
  exit 1
fi

# ---------------------------------------------------------------------------
# 1. Sources, all with apt-get source (a deb-src entry must be configured).
#    qt6-base: Debian's patches are applied (CVE fixes, the same tree as the
#    host tools). The +dfsg tarball has no bundled SQLite (built below).
#    mariadb: only the download; we unpack just libmariadb/ (Connector/C
#    3.3) instead of the ~1 GB server tree. Debian's mariadb patches do not
#    touch libmariadb/.
# ---------------------------------------------------------------------------
# apt-get source PKG, falling back to each older version in the index: a
# security update's source can be listed before the mirror serves it (404).
source_any() {
  local pkg=$1; shift
  apt-get source "$@" "$pkg" && return
  local v
  for v in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -Vr); do
    echo "retrying $pkg=$v" >&2
    apt-get source "$@" "$pkg=$v" && return
  done
  echo "no source of $pkg could be fetched" >&2; return 1
}
cd "$WORK/src"
if ! done_stage sources; then
  log "fetching sources with apt-get source"
  rm -rf qt6-base-* sqlite3-* mariadb-* ./*.dsc ./*.tar.*
  apt-get source "qt6-base=$QT_DEB_VERSION"
  source_any sqlite3
  source_any mariadb --download-only
  tar xzf mariadb_*.orig.tar.gz --wildcards 'mariadb-*/libmariadb/*'
  mark_stage sources
fi
found=("$WORK"/src/qt6-base-*/)
QT_SRC=${found[0]%/}
found=("$WORK"/src/sqlite3-*/)
SQLITE_SRC=${found[0]}
found=("$WORK"/src/mariadb-*/libmariadb/)
MARIADB_SRC=${found[0]}

# The +dfsg tarball also drops src/3rdparty/wintab (Wacom's wintab.h and
# pktdef.h), which the Windows platform plugin's tablet support includes
# ("fatal error: wintab.h: No such file or directory" ~50 min into the build).
# Use Wine's LGPL headers from Debian's libwine-dev .deb (downloaded, not
# installed) behind a small shim that adds the Winelib type/name macros and
# Wacom's API macro. (-DFEATURE_tabletevent=OFF would avoid it too, but that
# removes QTabletEvent from QtGui itself.)
WINTAB=$QT_SRC/src/3rdparty/wintab
if [[ ! -f $WINTAB/wintab.h ]]; then
  log "providing wintab.h/pktdef.h from libwine-dev"
  mkdir -p "$WORK/src/libwine-dev" "$WINTAB"
  (cd "$WORK/src/libwine-dev" && rm -f ./*.deb && apt-get download libwine-dev \
    && dpkg-deb --fsys-tarfile libwine-dev_*.deb \
       | tar -xf - --wildcards './usr/include/wine/wine/windows/wintab.h' \
                              './usr/include/wine/wine/windows/pktdef.h')
  cp "$WORK/src/libwine-dev/usr/include/wine/wine/windows/wintab.h" "$WINTAB/wine-wintab.h"
  cp "$WORK/src/libwine-dev/usr/include/wine/wine/windows/pktdef.h" "$WINTAB/pktdef.h"
  cat >"$WINTAB/wintab.h" <<'SHIM'
/* wintab.h for building Qt's Windows tablet support with MinGW.
 * Debian's +dfsg qtbase tarball drops src/3rdparty/wintab (the Wacom
 * headers); this uses Wine's LGPL-2.1+ wintab.h (renamed wine-wintab.h) and
 * pktdef.h from Debian's libwine-dev instead, adding the few Winelib macros
 * and the API calling-convention macro that Wacom's header provides. */
#ifndef QT_MINGW_WINTAB_SHIM_H
#define QT_MINGW_WINTAB_SHIM_H
#include <windows.h>
#ifndef DECL_WINELIB_TYPE_AW
# ifdef UNICODE
#  define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
# else
#  define DECL_WINELIB_TYPE_AW(type) typedef type##A type;
# endif
#endif
#ifndef WINELIB_NAME_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(func) func##W
# else
#  define WINELIB_NAME_AW(func) func##A
# endif
#endif
#ifndef API
# define API WINAPI
#endif
#include "wine-wintab.h"
#endif
SHIM
fi

# Toolchain file: installed inside the kit, because Qt records the path of the
# toolchain it was configured with in lib/cmake/Qt6/qt.toolchain.cmake.
# The prefix is emptied first; refuse anything that is not empty and does not
# look like an earlier kit.
if [[ -d $PREFIX && -n $(ls -A "$PREFIX") && ! -e $PREFIX/mingw64-toolchain.cmake ]]; then
  echo "refusing to empty $PREFIX: not empty and not an earlier kit" >&2; exit 1
fi
# (The toolchain is kept aside and put back unchanged, so that a re-run does
# not make ninja re-run CMake over a newer file.)
TOOLCHAIN=$PREFIX/mingw64-toolchain.cmake
mkdir -p "$WORK/keep"
if [[ -f $TOOLCHAIN ]] && cmp -s "$TOOLCHAIN" "$PROJECT_TOOLCHAIN"; then
  cp -p "$TOOLCHAIN" "$WORK/keep/mingw64-toolchain.cmake"
else
  cp "$PROJECT_TOOLCHAIN" "$WORK/keep/mingw64-toolchain.cmake"
fi
rm -rf "$PREFIX"
mkdir -p "$PREFIX"
cp -p "$WORK/keep/mingw64-toolchain.cmake" "$TOOLCHAIN"

# ---------------------------------------------------------------------------
# 2. SQLite: make the amalgamation natively (tool/mksqlite3c.tcl, needs the
#    configure-generated headers), then compile it with MinGW into
#    sqlite3.dll with its import library libsqlite3.dll.a. Qt's sqlite plugin
#    links that DLL (FEATURE_system_sqlite with explicit SQLite3_INCLUDE_DIR/
#    SQLite3_LIBRARY), and so can a program that calls SQLite's C API on the
#    driver's handle (QSqlDriver::handle(): collations, functions): both then
#    use ONE SQLite, as on Linux with the system libsqlite3. (A static copy
#    inside qsqlite.dll would leave such a program with a second SQLite.)
#    Flags: what Qt's bundled copy uses (column metadata is needed by
#    QSqlRecord::tableName-style calls, FTS/RTREE/JSON), plus Debian's
#    SECURE_DELETE/USE_URI/UNLOCK_NOTIFY/DBSTAT; no loadable extensions.
# ---------------------------------------------------------------------------
if ! done_stage sqlite; then
  log "building SQLite (sqlite3.dll, MinGW)"
  rm -rf "$WORK/build-sqlite" && mkdir -p "$WORK/build-sqlite" && cd "$WORK/build-sqlite"
  "$SQLITE_SRC/configure" --disable-tcl >configure.log
  "${NICE[@]}" make -j"$JOBS" sqlite3.c >make.log
  mkdir -p "$DEPS/sqlite/include" "$DEPS/sqlite/lib" "$DEPS/sqlite/bin"
  rm -f "$DEPS/sqlite/lib/"libsqlite3* "$DEPS/sqlite/bin/sqlite3.dll"
  "${NICE[@]}" $TRIPLET-gcc-posix -O2 -DNDEBUG -DSQLITE_THREADSAFE=1 \
    '-DSQLITE_API=__declspec(dllexport)' \
    -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS \
    -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE -DSQLITE_ENABLE_UNLOCK_NOTIFY \
    -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_SECURE_DELETE -DSQLITE_USE_URI=1 \
    -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_MAX_SCHEMA_RETRY=25 \
    -shared sqlite3.c -o "$DEPS/sqlite/bin/sqlite3.dll" \
    -Wl,--out-implib,"$DEPS/sqlite/lib/libsqlite3.dll.a" -static-libgcc
  cp sqlite3.h sqlite3ext.h "$DEPS/sqlite/include/"
  mark_stage sqlite
fi

# ---------------------------------------------------------------------------
# 3. MariaDB Connector/C (libmariadb) for the QMYSQL driver.
#    WITH_SSL=SCHANNEL: Windows' own TLS, no OpenSSL to cross-build.
#    Bundled zlib (WITH_EXTERNAL_ZLIB=OFF): no zlib1.dll to deploy.
#    All auth plugins STATIC (the default is DYNAMIC = separate DLLs looked up
#    in a plugin dir): MySQL 8's caching_sha2_password, ed25519, dialog, ...
#    then work with just libmariadb.dll. No curl, no unit tests, no gssapi.
#    Pitfall: with MinGW the import library is called liblibmariadb.dll.a.
# ---------------------------------------------------------------------------
if ! done_stage mariadb; then
  log "building MariaDB Connector/C (MinGW)"
  rm -rf "$WORK/build-mariadb" "$DEPS/mariadb"
  "${NICE[@]}" cmake -S "$MARIADB_SRC" -B "$WORK/build-mariadb" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$DEPS/mariadb" \
    -DWITH_SSL=SCHANNEL -DWITH_EXTERNAL_ZLIB=OFF -DWITH_CURL=OFF -DWITH_UNIT_TESTS=OFF \
    -DCLIENT_PLUGIN_DIALOG=STATIC -DCLIENT_PLUGIN_CACHING_SHA2_PASSWORD=STATIC \
    -DCLIENT_PLUGIN_SHA256_PASSWORD=STATIC -DCLIENT_PLUGIN_CLIENT_ED25519=STATIC \
    -DCLIENT_PLUGIN_MYSQL_CLEAR_PASSWORD=STATIC -DCLIENT_PLUGIN_AUTH_GSSAPI_CLIENT=OFF \
    -DCLIENT_PLUGIN_PVIO_NPIPE=STATIC -DCLIENT_PLUGIN_PVIO_SHMEM=STATIC \
    >"$WORK/mariadb-configure.log"
  "${NICE[@]}" cmake --build "$WORK/build-mariadb" -j "$JOBS" >"$WORK/mariadb-build.log"
  cmake --install "$WORK/build-mariadb" >"$WORK/mariadb-install.log"
  mark_stage mariadb
fi
MARIADB_IMPLIB=$DEPS/mariadb/lib/mariadb/liblibmariadb.dll.a
MARIADB_DLL=$DEPS/mariadb/lib/mariadb/libmariadb.dll
[[ -f $MARIADB_IMPLIB && -f $MARIADB_DLL ]]

# ---------------------------------------------------------------------------
# 4. qtbase for x86_64-w64-mingw32 (release, shared).
# ---------------------------------------------------------------------------
QT_BUILD=$WORK/build-qtbase
if ! done_stage qt-configure; then
  log "configuring qtbase"
  rm -rf "$QT_BUILD"
  # QT_HOST_PATH(_CMAKE_DIR): Debian's host Qt 6.4.2 (moc/rcc/uic/tracegen
  #   from qt6-base-dev-tools, its CMake packages under the multiarch dir,
  #   which Qt does not guess from /usr alone).
  # QT_QMAKE_TARGET_MKSPEC=win32-g++: the mkspec Qt6::Platform points at
  #   (qplatformdefs.h); make the choice explicit for the cross build.
  # FEATURE_pkg_config=OFF: the host pkg-config would hand Linux libraries
  #   (glib, icu, zstd, ...) to a Windows build.
  # INPUT_opengl=no: no OpenGL at all; FEATURE_opengl=OFF alone would leave
  #   the Windows-default "dynamic OpenGL" on. Drops Qt6OpenGL(Widgets).
  # system_* OFF: use the copies in src/3rdparty (zlib, pcre2, harfbuzz,
  #   freetype, libpng, libjpeg, double-conversion, libb2), compiled into the
  #   Qt DLLs — the MinGW sysroot has a zlib (libz-mingw-w64-dev) that would
  #   otherwise be picked and add zlib1.dll to every deployment.
  # icu/zstd/openssl/glib/dbus/vulkan OFF: not available for MinGW here and
  #   not needed on Windows (Qt uses Win32 APIs, Schannel for TLS).
  # direct2d is left at its default (ON) on purpose: with -DFEATURE_direct2d=OFF
  #   qtbase 6.4.2 compiles QtGui without its DirectWrite font database but the
  #   windows platform plugin still references it: "undefined reference to
  #   QWindowsDirectWriteFontDatabase" when linking qwindows.dll.
  # printsupport/xml OFF: not needed by the target program; keeps it small.
  # FEATURE_system_sqlite=ON + explicit SQLite3_*: the +dfsg tarball has no
  #   src/3rdparty/sqlite; use the sqlite3.dll built above.
  # MySQL_*: explicit, because FindMySQL does not know liblibmariadb.dll.a.
  # sql_odbc etc. OFF: MinGW ships odbc32, so ODBC would be built otherwise.
  "${NICE[@]}" cmake -S "$QT_SRC" -B "$QT_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_pkg_config=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF \
    -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF -DFEATURE_glib=OFF \
    -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
    -DSQLite3_INCLUDE_DIR="$DEPS/sqlite/include" \
    -DSQLite3_LIBRARY="$DEPS/sqlite/lib/libsqlite3.dll.a" \
    -DFEATURE_sql_mysql=ON \
    -DMySQL_INCLUDE_DIR="$DEPS/mariadb/include/mariadb" \
    -DMySQL_LIBRARY="$MARIADB_IMPLIB" \
    -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_db2=OFF \
    -DFEATURE_sql_ibase=OFF -DFEATURE_sql_oci=OFF \
    >"$WORK/qtbase-configure.log" 2>&1 || { tail -50 "$WORK/qtbase-configure.log"; exit 1; }
  sed -n '/Configure summary/,$p' "$WORK/qtbase-configure.log" >"$WORK/qtbase-configure-summary.txt"
  mark_stage qt-configure
fi

if ! done_stage qt-build; then
  log "building qtbase (long: ~70 min on 2 cores at nice 19)"
  start=$(date +%s)
  "${NICE[@]}" cmake --build "$QT_BUILD" --parallel "$JOBS" >"$WORK/qtbase-build.log" 2>&1 \
    || { tail -50 "$WORK/qtbase-build.log"; exit 1; }
  echo "qtbase build took $(( $(date +%s) - start )) s" | tee "$WORK/qtbase-build-time.txt"
  mark_stage qt-build
fi

# ---------------------------------------------------------------------------
# 5. Install, then trim and complete the kit.
# ---------------------------------------------------------------------------
log "installing qtbase into $PREFIX"
cmake --install "$QT_BUILD" >"$WORK/qtbase-install.log"

# Everything a deployment needs sits in bin/: libmariadb.dll (used by
# plugins/sqldrivers/qsqlmysql.dll), sqlite3.dll (used by qsqlite.dll; its
# import library and headers go to lib/ and include/ for programs that call
# SQLite directly) and the MinGW runtime of the posix
# compiler (libstdc++ and libgcc_s of the -posix variant, winpthreads).
GCC_RT=$(dirname "$($TRIPLET-g++-posix -print-libgcc-file-name)")
install -m 0644 "$MARIADB_DLL" "$DEPS/sqlite/bin/sqlite3.dll" "$PREFIX/bin/"
install -m 0644 "$DEPS/sqlite/lib/libsqlite3.dll.a" "$PREFIX/lib/"
install -m 0644 "$DEPS/sqlite/include/sqlite3.h" "$DEPS/sqlite/include/sqlite3ext.h" "$PREFIX/include/"
install -m 0644 "$GCC_RT/libstdc++-6.dll" "$GCC_RT/libgcc_s_seh-1.dll" \
  "/usr/$TRIPLET/lib/libwinpthread-1.dll" "$PREFIX/bin/"
# SQLite's and libmariadb's licences/headers are not needed to build programs;
# keep their versions on record.
{
  echo "Qt $QT_VERSION (Debian qt6-base $QT_DEB_VERSION), x86_64-w64-mingw32, release, shared"
  echo "SQLite $(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$DEPS/sqlite/include/sqlite3.h") (bin/sqlite3.dll, used by plugins/sqldrivers/qsqlite.dll; lib/libsqlite3.dll.a, include/sqlite3.h)"
  echo "MariaDB Connector/C $(sed -n 's/^#define MARIADB_PACKAGE_VERSION "\(.*\)"/\1/p' "$DEPS/mariadb/include/mariadb/mariadb_version.h") (bin/libmariadb.dll, Schannel TLS)"
  echo "Compiler: $($TRIPLET-g++-posix --version | head -n1)"
  echo "Built $(date -u +%Y-%m-%dT%H:%MZ) by scripts/build-qt-mingw.sh"
} >"$PREFIX/KIT-VERSION.txt"
install -m 0755 "$HERE/deploy-qt-mingw.sh" "$PREFIX/bin/deploy-qt-mingw.sh"
cp "$WORK/qtbase-configure-summary.txt" "$PREFIX/configure-summary.txt"

# Make the kit relocatable: qt.toolchain.cmake chain-loads the toolchain file
# by the absolute path it was configured with; point it at the copy inside
# the kit, relative to qt.toolchain.cmake itself.
QT_TC=$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake
grep -q "__qt_initially_configured_toolchain_file \"$TOOLCHAIN\"" "$QT_TC"
sed -i "s|__qt_initially_configured_toolchain_file \"$TOOLCHAIN\"|__qt_initially_configured_toolchain_file \"\${CMAKE_CURRENT_LIST_DIR}/../../../mingw64-toolchain.cmake\"|" "$QT_TC"

# Trim: mkspecs for other platforms (CMake only uses mkspecs/win32-g++ and
# mkspecs/common through Qt6::Platform; features/ and modules/ are qmake's,
# kept because they are small), and doc/ if any.
find "$PREFIX/mkspecs" -mindepth 1 -maxdepth 1 -type d \
  ! -name win32-g++ ! -name common ! -name features ! -name modules -exec rm -rf {} +
rm -rf "$PREFIX/doc"
# Strip the DLLs (Release builds carry no -g, but do carry symbol tables).
find "$PREFIX" -name '*.dll' -exec $TRIPLET-strip --strip-unneeded {} +

# Nothing may point back into $WORK (the deps were linked in or copied).
if grep -rIl "$WORK" "$PREFIX" >/dev/null 2>&1; then
  echo "warning: files in $PREFIX mention $WORK:" >&2
  grep -rIl "$WORK" "$PREFIX" >&2 || true
fi

# ---------------------------------------------------------------------------
# 6. Pack. The tarball holds one top folder, qt6-mingw64/, whatever the
#    kit's folder is called (scripts/windows-kit.sh expects that name), and
#    its checksum beside it in TARBALL.sha256.
# ---------------------------------------------------------------------------
log "packing $TARBALL"
rm -f "$TARBALL" "$TARBALL.part"
"${NICE[@]}" tar -C "$(dirname "$PREFIX")" --transform "s|^$(basename "$PREFIX")|qt6-mingw64|" \
  -cf - "$(basename "$PREFIX")" | "${NICE[@]}" xz -9 -T"$JOBS" >"$TARBALL.part"
mv "$TARBALL.part" "$TARBALL"
(cd "$(dirname "$TARBALL")" && sha256sum "$(basename "$TARBALL")" >"$TARBALL.sha256")
ls -l "$TARBALL"
du -sh "$PREFIX"
log "done: export MERIDOX_QT_MINGW=$PREFIX (or =$TARBALL)"
