#!/usr/bin/env bash
# Configures and builds everything into build/ (program, libraries, tests,
# benchmarks). The build also creates empty Data.mdb and Log.mdb beside the
# program when they are missing; existing ones are never touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel "$(nproc)"
