#!/usr/bin/env bash
# Installs what is missing, builds, makes the operator's guide, starts demo
# virtual terminals and a demo personnel database, then the program. Closing the program stops them again. Everything it
# writes (program, databases, demo terminal state) stays in the build folder
# (see build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
"$root/scripts/install-deps.sh"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"

bin="$build/bin"
# The operator's guide that F1 opens: its pictures and pages are made again
# only when the program or the guide changed. The program starts without it.
if ! MERIDOX_BUILD_DIR="$build" "$root/scripts/build-guide.sh" --when-needed >/dev/null; then
  echo "The operator's guide could not be made (scripts/build-guide.sh); F1 will say it is missing." >&2
fi
export MERIDOX_GUIDE_DIR="$bin/kilavuz"
demo="$build/demo"
mkdir -p "$demo"

# MERIDOX_DEMO_WINE=1 runs the same demo through Wine: the program runs from
# a program folder of its own (demo-wine/ in the build folder) that holds the
# stand-ins built as Windows DLLs (64-bit; MERIDOX_DEMO_WINE_ARCH=i686 takes
# the 32-bit ones), so the program drives them through sdkhost, as it would
# the vendor's DLLs.
program="$bin"
if [ -n "${MERIDOX_DEMO_WINE:-}" ] && [ "${MERIDOX_DEMO_WINE}" != 0 ]; then
  arch="${MERIDOX_DEMO_WINE_ARCH:-x86_64}"
  if [ ! -f "$bin/wine-$arch/FK623Attend.dll" ] || [ ! -f "$bin/sdkhost-$arch.exe" ]; then
    echo "MERIDOX_DEMO_WINE: the $arch Windows stand-ins were not built (is mingw-w64 installed?)" >&2
    exit 1
  fi
  if [ "$arch" = i686 ]; then
    # Wine runs the 32-bit host as an i386 program, which some kernels run
    # only through qemu-user (as root; otherwise it says why).
    "$root/scripts/enable-32bit.sh" || [ $? = 77 ]
    # Where the processor is emulated, the host takes a minute to start.
    export MERIDOX_HOST_START_SECONDS="${MERIDOX_HOST_START_SECONDS:-300}"
  fi
  program="$build/demo-wine"
  mkdir -p "$program"
  # A link of its own (not a symbolic one): the program folder is the
  # folder of the file the program was started from.
  ln -f "$bin/meridox" "$program/meridox" 2>/dev/null || cp -f "$bin/meridox" "$program/meridox"
  cp -f "$bin"/sdkhost-*.exe "$program/"
  rm -f "$program"/FK623Attend.dll "$program"/FKAttend.dll
  cp -f "$bin/wine-$arch/FK623Attend.dll" "$bin/wine-$arch/FKAttend.dll" "$program/"
  "$build/schema/mkdatabases" "$root/schema" "$program"
  echo "Demo through Wine: $program ($arch Windows stand-ins)"
fi
pids="$demo/pids"
stop_demo() {
  [ -f "$pids" ] && xargs -r kill 2>/dev/null <"$pids" || true
  rm -f "$pids"
}
trap stop_demo EXIT
"$root/simulator/start-demo.sh" "$bin" "$demo" "$program/Data.mdb" "$pids"
"$root/scripts/demo-pdks.sh" "$program" "$demo" "$pids"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting without a visible window (QT_QPA_PLATFORM=offscreen)."
  export QT_QPA_PLATFORM=offscreen
fi
"$program/meridox"
