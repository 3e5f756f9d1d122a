#!/usr/bin/env bash
# Installs what is missing, builds (see build.sh for the build folder) and
# runs every test suite through CTest without a display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
