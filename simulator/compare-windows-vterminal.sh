#!/usr/bin/env bash
# Checks the Windows vterminal.exe (under Wine) against the Linux vterminal:
# the same seeded terminal, downloaded by the Linux program's command line,
# must give byte-identical files, outputs, exit statuses, journals and state;
# and a stop request (SIGINT; Wine turns it into Ctrl+C) during a session
# must end the session and the program cleanly with the state saved.
#
# Usage: simulator/compare-windows-vterminal.sh LINUX_BIN [WINDOWS_BIN [USERS RECORDS]]
#   LINUX_BIN    the Linux build's bin/ (meridox, vterminal, the stand-in
#                libraries, the empty Data.mdb and Log.mdb)
#   WINDOWS_BIN  the Windows build's bin/ (vterminal.exe); default
#                $MERIDOX_WINDOWS_BIN, as the Linux build's Windows suites
# Environment: WINEPREFIX (a booted 64-bit prefix; default a new one in the
# work folder), MERIDOX_QT_MINGW (the Qt kit, for its DLLs when they are not
# beside vterminal.exe), KEEP=1 to keep the work folder. Needs sqlite3.
# Exit status 0 when everything matches; 77 (skipped, with the reason) without
# a Windows build or wine64. The Linux build runs it as the test
# vterminal_windows_compare (label windows; scripts/test-windows.sh).
set -euo pipefail

[[ $# == 1 || $# == 2 || $# == 4 ]] || { sed -n 8,18p "$0" >&2; exit 2; }
LINUX_BIN=$(realpath -- "$1")
WINDOWS_BIN=${2:-${MERIDOX_WINDOWS_BIN:-}}
USERS=${3:-25}
RECORDS=${4:-2000}
WINE=/usr/lib/wine/wine64
skip() {
  echo "skipped: $*"
  exit 77
}
[[ -n $WINDOWS_BIN ]] || skip "no Windows build named (MERIDOX_WINDOWS_BIN)"
[[ -f $WINDOWS_BIN/vterminal.exe ]] || skip "no vterminal.exe in $WINDOWS_BIN"
[[ -x $WINE ]] || skip "no $WINE (install wine64)"
WINDOWS_BIN=$(realpath -- "$WINDOWS_BIN")
work=$(mktemp -d "${TMPDIR:-/tmp}/vterminal-compare.XXXXXX")
[[ ${KEEP:-} == 1 ]] || trap 'rm -rf "$work"' EXIT
export WINEARCH=win64 WINELOADER=$WINE WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$work/wine-prefix}
[[ -n ${MERIDOX_QT_MINGW:-} ]] && export WINEPATH="Z:${MERIDOX_QT_MINGW//\//\\}\\bin"
[[ -d $WINEPREFIX ]] || "$WINE" wineboot --init >/dev/null 2>&1

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# start_terminal SIDE DIR ARGS...: starts the side's vterminal; its pid in
# DIR/pid once the port file is there.
start_terminal() {
  local side=$1 dir=$2
  shift 2
  rm -f "$dir/port"
  if [[ $side == linux ]]; then
    "$LINUX_BIN/vterminal" --port 0 --port-file "$dir/port" --state "$dir/state.json" \
      --journal "$dir/journal.log" "$@" >"$dir/vterminal.out" 2>&1 &
  else
    "$WINE" "$WINDOWS_BIN/vterminal.exe" --port 0 --port-file "$(winpath "$dir/port")" \
      --state "$(winpath "$dir/state.json")" --journal "$(winpath "$dir/journal.log")" "$@" \
      >"$dir/vterminal.out" 2>&1 &
  fi
  echo $! >"$dir/pid"
  for _ in $(seq 1 600); do
    [[ -s $dir/port ]] && return 0
    kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
    sleep 0.1
  done
  fail "$side: vterminal did not start: $(cat "$dir/vterminal.out")"
  return 1
}

# stop_terminal SIDE DIR: SIGINT, then its exit status must be 0.
stop_terminal() {
  local pid rc=0
  pid=$(cat "$2/pid")
  kill -INT "$pid"
  wait "$pid" || rc=$?
  [[ $rc == 0 ]] || fail "$1: vterminal ended with $rc after SIGINT"
}

# hello DIR: opens a session and leaves it open (file descriptor 3).
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
hello() {
  local port payload
  port=$(tr -d '\r\n' <"$1/port")
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  # op 1, magic, kind 0 (network) as one byte; machine 1, password 0, port,
  # 0, time-out 5000, option 0; the address as a byte string.
  payload="\\x01$(le32 0x56540001)\\x00$(le32 1)$(le32 0)$(le32 "$port")$(le32 0)$(le32 5000)"
  payload+="$(le32 0)$(le32 9)127.0.0.1"
  printf '%b' "$(le32 43)$payload" >&3
  head -c 8 <&3 >/dev/null
}

# The terminal, seeded once by the Linux vterminal: seeding depends on the
# moment, so both sides load this state instead of seeding their own.
seed_dir=$work/seed
mkdir -p "$seed_dir"
start_terminal linux "$seed_dir" --seed-users "$USERS" --seed-records "$RECORDS" --seed 7
stop_terminal linux "$seed_dir"

run_side() {
  local side=$1 dir=$work/$1 port
  mkdir -p "$dir/folder"
  cp -r "$seed_dir/state.json" "$seed_dir/state.json.d" "$dir/"
  cp "$LINUX_BIN/Data.mdb" "$LINUX_BIN/Log.mdb" "$dir/folder/"
  printf '[Options]\r\nveriDosya2=1\r\n' >"$dir/folder/Settings.ini"
  start_terminal "$side" "$dir" || return
  port=$(tr -d '\r\n' <"$dir/port")
  sqlite3 "$dir/folder/Data.mdb" "INSERT INTO Terminal (Terminal, TerminalNo, Tip, ComPort, \
    ComBaud, Ip, NetPort, Sifre) VALUES ('T', '1', 'ethernet', '1', '9600', '127.0.0.1', '$port', '0');"
  for step in check download-all download-all; do
    local rc=0 started
    started=$(date +%s%N)
    "$LINUX_BIN/meridox" --folder "$dir/folder" "--$step" >>"$dir/program.out" 2>&1 || rc=$?
    echo "$step: $rc" >>"$dir/program.out"
    [[ $step == check || -s $dir/download.ms ]] || echo $((($(date +%s%N) - started) / 1000000)) >"$dir/download.ms"
  done
  hello "$dir"
  stop_terminal "$side" "$dir"
  exec 3<&-
  [[ $(tail -n 1 "$dir/journal.log") == "# terminal stopped" ]] ||
    fail "$side: the session was not ended at the stop: $(tail -n 1 "$dir/journal.log")"
  # Started again on the same port and the saved state: nothing left to download.
  start_terminal "$side" "$dir" --port "$port" || return
  "$LINUX_BIN/meridox" --folder "$dir/folder" --download-all >>"$dir/program.out" 2>&1 || true
  stop_terminal "$side" "$dir"
  # The port is the one part of the journal that differs between the runs.
  sed "s/\", $port, /\", PORT, /" "$dir/journal.log" >"$dir/journal.txt"
}

run_side linux
run_side windows

compare() {
  if cmp -s "$work/linux/$1" "$work/windows/$1"; then
    echo "same: $1 ($(wc -c <"$work/linux/$1") bytes)"
  else
    fail "$1 differs"
    diff <(od -c "$work/linux/$1") <(od -c "$work/windows/$1") | head -n 10 >&2 || true
  fi
}
month=$(date +%m%Y)
for f in folder/veri.txt folder/veri2.txt "folder/yedek_K20/$month.txt" program.out \
  journal.txt state.json state.json.d/records.bin; do
  compare "$f"
done
lines=$(wc -l <"$work/linux/folder/veri.txt")
[[ $lines == "$RECORDS" ]] || fail "veri.txt has $lines lines, not $RECORDS"
echo "first download: $(cat "$work/linux/download.ms") ms from vterminal," \
  "$(cat "$work/windows/download.ms") ms from vterminal.exe"
echo "program output (both sides):"
sed 's/^/  /' "$work/linux/program.out"
if ((failures > 0)); then
  echo "$failures check(s) failed; work folder $work" >&2
  [[ ${KEEP:-} == 1 ]] || trap - EXIT
  exit 1
fi
echo "vterminal.exe and vterminal agree"
