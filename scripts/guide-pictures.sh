#!/usr/bin/env bash
# Makes the pictures of the operator's guide (docs/kilavuz/resimler.txt) into
# OUTDIR, from the program's own windows:
#
#   scripts/guide-pictures.sh OUTDIR
#
# Builds what it needs in the build folder ($MERIDOX_BUILD_DIR, or build/ in
# the checkout; configured and built through build.sh when it is not there),
# starts the three demo terminals and an X server of its own (xvfb-run), and
# runs guide-pictures over a fresh program folder with the demo terminal
# rows. Everything it starts and writes besides OUTDIR lives in a temporary
# folder and is stopped and removed however it ends. The network terminal
# listens on port 5005, as the guide says, unless that port is taken: then on
# a free one, which the pictures show. Every picture of the list is made
# anew; the exit status is 0 only when each of them is in OUTDIR.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
list="$root/docs/kilavuz/resimler.txt"

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
out="$(realpath -m -- "$1")"

for tool in xvfb-run xauth sqlite3 timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "guide-pictures: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

if [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" --parallel "$(nproc)" \
    --target guide-pictures vterminal FK623Attend FKAttend mkdatabases >/dev/null
else
  MERIDOX_BUILD_DIR="$build" "$root/scripts/build.sh"
fi
bin="$build/bin"

work="$(mktemp -d "${TMPDIR:-/tmp}/meridox-pictures.XXXXXX")"
state="$work/demo"
pids="$state/demo.pids"
program="$work/program"
runner=""
cleanup() {
  # guide-pictures first: xvfb-run ends its X server when its command ends,
  # and the lock holder that guide-pictures may have started ends with it.
  if [ -s "$work/guide.pid" ]; then kill "$(cat "$work/guide.pid")" 2>/dev/null || true; fi
  if [ -n "$runner" ]; then wait "$runner" 2>/dev/null || true; fi
  "$root/simulator/start-demo.sh" --stop "$state" "$pids" || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$program" "$state"
mkdir -m 700 "$work/runtime"
"$build/schema/mkdatabases" "$root/schema" "$program" >/dev/null

# Whether something listens on a loopback port.
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port_in() { cat "$state/demo-$1.port"; }

# The USB and serial terminals on ports the system picks (port 0), so they
# never meet a running demo or the tests; the network one on 5005 if it can.
lan=5005
if listening 5005; then lan=0; fi
start_terminals() {
  MERIDOX_DEMO_LAN_PORT="$1" MERIDOX_USB_ENDPOINT=127.0.0.1:0 MERIDOX_COM1_ENDPOINT=127.0.0.1:0 \
    "$root/simulator/start-demo.sh" "$bin" "$state" "" "$pids"
}
if ! start_terminals "$lan" 2>"$work/demo.err"; then
  [ "$lan" = 5005 ] || { cat "$work/demo.err" >&2; exit 1; }
  lan=0
  start_terminals 0
fi
lan="$(port_in lan)"
if [ "$lan" != 5005 ]; then
  echo "guide-pictures: port 5005 is taken; the network terminal listens on $lan, and the pictures show that port" >&2
fi
# Started already: this only adds the three rows, with the port in use.
MERIDOX_DEMO_LAN_PORT="$lan" "$root/simulator/start-demo.sh" "$bin" "$state" "$program/Data.mdb" "$pids"

# The list's pictures: the old ones go first, so only this run's count.
mapfile -t pictures < <(sed -e '/^[[:space:]]*#/d' -e '/^[[:space:]]*$/d' "$list" |
  cut -d'|' -f1 | sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//')
mkdir -p "$out"
for p in "${pictures[@]}"; do rm -f "$out/$p"; done

# A fixed screen, so every run lays the windows out alike; the Turkish texts
# need a UTF-8 locale. A run that hangs is ended after five minutes. The
# inner shell leaves its id (its own $$) for the clean-up to stop.
# shellcheck disable=SC2016
env -u WAYLAND_DISPLAY LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" \
  MERIDOX_USB_ENDPOINT="127.0.0.1:$(port_in usb)" MERIDOX_COM1_ENDPOINT="127.0.0.1:$(port_in com)" \
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  sh -c 'echo $$ >"$0" && exec timeout -k 10 300 "$@"' "$work/guide.pid" \
  "$bin/guide-pictures" "$list" "$program" "$out" &
runner=$!
status=0
wait "$runner" || status=$?
runner=""
rm -f "$work/guide.pid"

missing=()
for p in "${pictures[@]}"; do [ -s "$out/$p" ] || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "guide-pictures: not made: ${missing[*]}" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "guide-pictures: failed (exit status $status)" >&2
  exit 1
fi
echo "guide-pictures: ${#pictures[@]} pictures in $out"
