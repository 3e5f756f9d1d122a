#!/usr/bin/env bash
# Configures and builds everything (program, libraries, tests, benchmarks)
# into the build folder: $MERIDOX_BUILD_DIR, or build/ in the checkout. The
# configuration comes from CMakePresets.json: the preset $MERIDOX_PRESET, or
# "plain" ("ci" with MERIDOX_WERROR=1: warnings as errors; preset.sh
# chooses). The checkout itself is only read, so it may be
# read-only. The build also creates empty Data.mdb and Log.mdb beside the
# program when they are missing; existing ones are never touched. Extra
# arguments go to CMake's configure step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
# shellcheck source=scripts/preset.sh
. "$root/scripts/preset.sh"
cmake -S "$root" -B "$build" --preset "${MERIDOX_PRESET:-$(meridox_preset plain)}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
