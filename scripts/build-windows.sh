#!/usr/bin/env bash
# Builds the program for 64-bit Windows and makes what a Windows user gets:
# configure, build, package.
# Installs the Debian packages that are missing (install-deps.sh), finds the
# Qt kit for Windows (windows-kit.sh: $MERIDOX_QT_MINGW, or the kit beside
# the project; without one it says how to build one), makes the operator's
# guide in the Linux build ($MERIDOX_BUILD_DIR, default build/; build-guide.sh,
# when it is missing or old), configures with the CMake preset "windows"
# ("windows-ci" with MERIDOX_WERROR=1: preset.sh) into
# $MERIDOX_WINDOWS_BUILD_DIR (default build-windows/ in the checkout), builds,
# and builds the target dist (packaging/windows/), which makes in dist/ of
# that folder
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
# shellcheck source=scripts/preset.sh
. "$root/scripts/preset.sh"

# The guide's pictures are taken of the Linux program under Xvfb (the
# windows are the same Qt windows), so the guide comes from the Linux build.
linux_build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
MERIDOX_BUILD_DIR="$linux_build" "$root/scripts/build-guide.sh" --when-needed >&2

cmake -S "$root" -B "$build" --preset "$(meridox_preset windows)" \
  -DMERIDOX_GUIDE_HTML="$linux_build/bin/kilavuz" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cmake --build "$build" --target dist

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
name="meridox-$version-x64"
echo "$build/dist/$name"
echo "$build/dist/$name.zip"
echo "$build/dist/$name-setup.exe"
