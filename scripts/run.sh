#!/usr/bin/env bash
# Installs what is missing, builds, starts demo virtual terminals and a demo
# personnel database, then the program. Closing the program stops them again. Everything it
# writes (program, databases, demo terminal state) stays in the build folder
# (see build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"

bin="$build/bin"
demo="$build/demo"
mkdir -p "$demo"
pids="$demo/pids"
stop_demo() {
  [ -f "$pids" ] && xargs -r kill 2>/dev/null <"$pids" || true
  rm -f "$pids"
}
trap stop_demo EXIT
"$root/simulator/start-demo.sh" "$bin" "$demo" "$bin/Data.mdb" "$pids"
"$root/scripts/demo-pdks.sh" "$bin" "$demo" "$pids"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting without a visible window (QT_QPA_PLATFORM=offscreen)."
  export QT_QPA_PLATFORM=offscreen
fi
"$bin/meridox"
