#!/usr/bin/env bash
# Installs what is missing, builds (see build.sh for the build folder),
# makes the operator's guide with its pictures (build-guide.sh) and makes
# the Debian package of the program with CPack:
# package/meridox_VERSION-1_ARCH.deb in the build folder, whose path it
# prints last. Install it with apt, which brings the libraries it needs:
#   sudo apt install ./build/package/meridox_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build-guide.sh" >&2
cd "$build"
rm -f package/meridox_*.deb
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cpack -G DEB >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
ls "$build"/package/meridox_*.deb
