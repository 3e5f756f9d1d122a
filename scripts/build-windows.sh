#!/usr/bin/env bash
# Builds the program for 64-bit Windows and makes what a Windows user gets.
# Installs the Debian packages that are missing (install-deps.sh), finds the
# Qt kit for Windows (windows-kit.sh: $MERIDOX_QT_MINGW, or the kit beside
# the project; without one it says how to build one), configures with the
# CMake preset "windows" into $MERIDOX_WINDOWS_BUILD_DIR (default
# build-windows/ in the checkout; MERIDOX_WERROR=1 turns warnings into
# errors, as on Linux) and builds. The operator's guide comes from the
# Linux build ($MERIDOX_BUILD_DIR, default build/), made there by
# build-guide.sh when it is missing or old. Then, in dist/ of that folder:
#   meridox-VERSION-x64/            the portable folder: copy it, run it
#   meridox-VERSION-x64.zip         the same folder, zipped
#   meridox-VERSION-x64-setup.exe   the installer (packaging/windows/meridox.nsi)
# and prints their paths. The checkout itself is only read. Extra arguments
# go to CMake's configure step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_WINDOWS_BUILD_DIR:-$root/build-windows}")"
"$root/scripts/install-deps.sh"
# shellcheck source=scripts/windows-kit.sh
. "$root/scripts/windows-kit.sh"
meridox_find_qt_mingw "$root"

preset=windows
[ "${MERIDOX_WERROR:-0}" = 1 ] && preset=windows-ci
cmake -S "$root" -B "$build" --preset "$preset" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { echo "No project version in $build/CMakeCache.txt" >&2; exit 1; }
bin="$build/bin"
dist="$build/dist"
name="meridox-$version-x64"
portable="$dist/$name"
work="$dist/.work"
rm -rf "$work" "$portable" "$dist/$name.zip" "$dist/$name-setup.exe"
mkdir -p "$work/$name/stand-in" "$work/$name/demo"
stage="$work/$name"

# The programs, the 64-bit stand-in terminal libraries (used when no vendor
# DLL is found) and the empty databases the program folder gets.
for f in meridox.exe meridox.com vterminal.exe sdkhost-x86_64.exe sdkhost-i686.exe Data.mdb Log.mdb; do
  [ -f "$bin/$f" ] || { echo "The build made no $bin/$f" >&2; exit 1; }
  cp "$bin/$f" "$stage/"
done
cp "$bin"/stand-in/FK623Attend.dll "$bin"/stand-in/FKAttend.dll "$stage/stand-in/"

# The operator's guide as kilavuz\ beside meridox.exe, where F1 looks. Its
# pictures are taken of the Linux program under Xvfb (the windows are the
# same Qt windows), so it comes from the Linux build.
linux_build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
MERIDOX_BUILD_DIR="$linux_build" "$root/scripts/build-guide.sh" --when-needed >&2
cp -r "$linux_build/bin/kilavuz" "$stage/kilavuz"

# Qt, its plugins and the MinGW run-time from the kit: only the modules the
# programs import (the check below fails when one is missing).
QT_MODULES="Core Gui Widgets Sql" "$MERIDOX_QT_MINGW/bin/deploy-qt-mingw.sh" "$stage" "$MERIDOX_QT_MINGW"

# The demo launcher. A program of its own rather than a batch file: it keeps
# the demo terminals in a job object, so they end with it however it ends.
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -mwindows \
  -static -s -o "$stage/meridox-demo.exe" "$root/packaging/windows/demo/meridox-demo.cpp" -lshell32
# Its Data.mdb: the empty one with the three rows simulator/start-demo.sh adds
# on Linux (Windows has no sqlite3 to add them there).
cp "$bin/Data.mdb" "$work/demo.mdb"
sqlite3 "$work/demo.mdb" <<'SQL'
INSERT INTO Terminal (Terminal, TerminalNo, Tip, ComPort, ComBaud, Ip, NetPort, Sifre) VALUES
  ('Demo Ethernet', '1', 'ethernet', '1', '9600', '127.0.0.1', '5005', '0'),
  ('Demo USB', '1', 'usb', '1', '9600', '127.0.0.1', '5005', '0'),
  ('Demo COM1', '1', 'com', '1', '9600', '127.0.0.1', '5005', '0');
SQL
mv "$work/demo.mdb" "$stage/demo/Data.mdb"

# The read-me in Windows' line ends, UTF-8 with its mark so that every
# Notepad shows the Turkish letters.
{
  printf '\357\273\277'
  sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/packaging/windows/BENIOKU.txt"
} >"$stage/BENIOKU.txt"

# Every DLL a program or plugin imports from the kit must be in the folder.
missing=""
while IFS= read -r -d '' pe; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$pe" | sed -n 's/^\s*DLL Name: //p'); do
    if [ -n "$(find "$MERIDOX_QT_MINGW/bin" -maxdepth 1 -iname "$dll")" ] &&
      [ -z "$(find "$stage" -maxdepth 1 -iname "$dll")" ]; then
      missing+=" ${pe#"$stage"/}:$dll"
    fi
  done
done < <(find "$stage" -iname '*.exe' -print0 -o -iname '*.com' -print0 -o -iname '*.dll' -print0)
[ -z "$missing" ] || { echo "Missing beside the programs:$missing" >&2; exit 1; }

mv "$stage" "$portable"
(cd "$dist" && zip -qr -X "$work/$name.zip" "$name")
mv "$work/$name.zip" "$dist/$name.zip"

# The installer's file lists: what it puts where, and what its uninstaller
# removes again (files, then folders deepest first).
nsis_path() { printf '%s' "$1" | sed -e 's/\$/$$/g' -e 's|/|\\|g'; }
{
  while IFS= read -r -d '' d; do
    rel="${d#"$portable"}"
    echo "SetOutPath \"\$INSTDIR$(nsis_path "$rel")\""
    while IFS= read -r -d '' f; do
      echo "File \"$(printf '%s' "$f" | sed 's/\$/$$/g')\""
    done < <(find "$d" -mindepth 1 -maxdepth 1 -type f -print0 | sort -z)
  done < <(find "$portable" -type d -print0 | sort -z)
} >"$work/install-files.nsh"
{
  while IFS= read -r -d '' f; do
    echo "Delete \"\$INSTDIR\\$(nsis_path "${f#"$portable"/}")\""
  done < <(find "$portable" -type f -print0 | sort -z)
  while IFS= read -r -d '' d; do
    echo "RMDir \"\$INSTDIR\\$(nsis_path "${d#"$portable"/}")\""
  done < <(find "$portable" -mindepth 1 -type d -print0 | sort -rz)
} >"$work/uninstall-files.nsh"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFILES="$work" \
  -DSIZE_KB="$(du -sk "$portable" | cut -f1)" -DOUTFILE="$work/$name-setup.exe" \
  "$root/packaging/windows/meridox.nsi"
mv "$work/$name-setup.exe" "$dist/$name-setup.exe"
rm -rf "$work"

echo "$portable"
echo "$dist/$name.zip"
echo "$dist/$name-setup.exe"
