#!/usr/bin/env bash
# Configures and builds everything (program, libraries, tests, benchmarks)
# into the build folder: $MERIDOX_BUILD_DIR, or build/ in the checkout. The
# checkout itself is only read, so it may be read-only. The build also
# creates empty Data.mdb and Log.mdb beside the program when they are
# missing; existing ones are never touched. Extra arguments go to CMake's
# configure step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
