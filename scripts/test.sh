#!/usr/bin/env bash
# Installs what is missing, builds (see build.sh for the build folder) and
# runs every test suite through CTest without a display.
# MERIDOX_SANITIZE=1 builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer into a build folder of its own (the build folder
# with "-sanitize" appended, or MERIDOX_SANITIZE_BUILD_DIR) and runs the suite
# there; any finding fails the run. MERIDOX_WERROR=1 turns compiler warnings
# into errors (CI sets it). Extra arguments go to ctest, for instance
# "-L core" for the suites of the core alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
# The tests of 32-bit vendor libraries run Wine's 32-bit loader: where the
# kernel runs no i386 code, qemu-user is registered for it (as root; without
# root, or where it cannot be, those tests skip and say why).
"$root/scripts/enable-32bit.sh" || [ $? = 77 ]
# shellcheck source=scripts/preset.sh
. "$root/scripts/preset.sh"
preset="$(meridox_preset)"
if [ "${MERIDOX_SANITIZE:-0}" = 1 ]; then
  build="$(realpath -m -- "${MERIDOX_SANITIZE_BUILD_DIR:-$build-sanitize}")"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # The 32-bit host rows drive the Linux program as the 64-bit rows do, and
  # the host is not built with the sanitizers: they run in the plain pass
  # only (where the processor is emulated, each host start costs a minute).
  export MERIDOX_TESTS_WITHOUT_32BIT="${MERIDOX_TESTS_WITHOUT_32BIT:-the 32-bit rows run in the plain pass (scripts/test.sh without MERIDOX_SANITIZE)}"
fi
MERIDOX_BUILD_DIR="$build" MERIDOX_PRESET="$preset" "$root/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
