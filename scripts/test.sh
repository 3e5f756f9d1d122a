#!/usr/bin/env bash
# Installs what is missing, builds (see build.sh for the build folder) and
# runs every test suite through CTest without a display.
# MERIDOX_SANITIZE=1 builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer into a build folder of its own (the build folder
# with "-sanitize" appended, or MERIDOX_SANITIZE_BUILD_DIR) and runs the suite
# there; any finding fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
if [ "${MERIDOX_SANITIZE:-0}" = 1 ]; then
  build="$(realpath -m -- "${MERIDOX_SANITIZE_BUILD_DIR:-$build-sanitize}")"
  flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"
fi
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
