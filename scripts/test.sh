#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# MERIDOX_SANITIZE=1 builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer into a build folder of its own (build-sanitize/,
# or MERIDOX_SANITIZE_BUILD_DIR) and runs the suite there; any finding fails
# the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
if [ "${MERIDOX_SANITIZE:-0}" = 1 ]; then
  build="${MERIDOX_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
  flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$build" --parallel "$(nproc)"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  "$root/scripts/build.sh"
  build="$root/build"
fi
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
