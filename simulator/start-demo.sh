#!/bin/bash
# Starts the demo terminals the program can be tried against, or stops them.
#
#   start-demo.sh BIN_DIR STATE_DIR [DATA_MDB [PID_FILE]]   start (or keep) them
#   start-demo.sh --stop STATE_DIR [PID_FILE]               stop them
#
# The vterminals of demo-terminals.txt (beside this script) from BIN_DIR, all
# machine number 1 on 127.0.0.1:
#   - "ethernet": port $MERIDOX_DEMO_LAN_PORT (default 5005), password 0,
#     25 users with Turkish names, 2,000 attendance records, a bell schedule;
#   - "usb": where the terminal library looks for the USB kind
#     ($MERIDOX_USB_ENDPOINT, default 127.0.0.1:47010), 10 users, 300 records;
#   - "com": where it looks for serial port 1 ($MERIDOX_COM1_ENDPOINT,
#     default 127.0.0.1:47101), 8 users, 200 records.
# Their state, journals and output stay in STATE_DIR (demo-*.json, demo-*.journal,
# demo-*.log), so what was changed survives a restart; data is generated only
# when a state file is missing. Their process ids go to PID_FILE (default
# STATE_DIR/demo.pids), one per line; the caller stops them with --stop or by
# killing those ids. When the ids in that file still run, nothing new is started.
#
# With DATA_MDB (the program's Data.mdb, an SQLite file) whose table Terminal is
# empty, a row for each of these terminals is added with sqlite3.
set -euo pipefail

usage() {
  sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

port_of() {  # port_of ENDPOINT DEFAULT: the port part of host:port or port
  local endpoint=${1:-}
  if [[ -z $endpoint ]]; then echo "$2"; else echo "${endpoint##*:}"; fi
}

running() {  # true when every id in the pid file is a live process
  local pids=$1
  [[ -s $pids ]] || return 1
  while read -r pid; do
    kill -0 "$pid" 2>/dev/null || return 1
  done <"$pids"
}

stop_demo() {
  local pids=$1
  [[ -f $pids ]] || return 0
  while read -r pid; do
    kill "$pid" 2>/dev/null || true
  done <"$pids"
  rm -f "$pids"
}

start_one() {  # start_one NAME PORT SEED_ARGS...
  local name=$1 port=$2
  shift 2
  local state=$STATE_DIR/demo-$name.json portfile=$STATE_DIR/demo-$name.port
  local seed=()
  [[ -f $state ]] || seed=("$@")
  rm -f "$portfile"
  "$BIN_DIR/vterminal" --port "$port" --machine 1 --state "$state" \
    --journal "$STATE_DIR/demo-$name.journal" --port-file "$portfile" "${seed[@]}" \
    </dev/null >"$STATE_DIR/demo-$name.log" 2>&1 &
  local pid=$!
  echo "$pid" >>"$PID_FILE"
  for _ in $(seq 100); do
    [[ -f $portfile ]] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "start-demo: the $name terminal did not start:" >&2
  cat "$STATE_DIR/demo-$name.log" >&2
  return 1
}

# The demo terminals, one "name|row|kind|variable|port|seed" a line.
TERMINALS=$(dirname "$0")/demo-terminals.txt
terminals() { grep -v -e '^#' -e '^[[:space:]]*$' "$TERMINALS"; }

add_terminal_rows() {  # add_terminal_rows DATA_MDB LAN_PORT
  local db=$1 lan=$2
  [[ -f $db ]] || { echo "start-demo: $db not found; no terminal rows added" >&2; return 0; }
  local count
  count=$(sqlite3 "$db" "SELECT COUNT(*) FROM Terminal;")
  [[ $count == 0 ]] || return 0
  # Every row names the network terminal's port, as the program's own
  # terminal editor stores it for every kind.
  local rows="" name row kind variable port seed
  while IFS='|' read -r name row kind variable port seed; do
    [[ -z $rows ]] || rows+=","
    rows+=$'\n'"  ('$row', '1', '$kind', '1', '9600', '127.0.0.1', '$lan', '0')"
  done < <(terminals)
  sqlite3 "$db" <<SQL
INSERT INTO Terminal (Terminal, TerminalNo, Tip, ComPort, ComBaud, Ip, NetPort, Sifre) VALUES$rows;
SQL
}

if [[ ${1:-} == --stop ]]; then
  [[ $# == 2 || $# == 3 ]] || usage
  stop_demo "${3:-$2/demo.pids}"
  exit 0
fi
[[ $# -ge 2 && $# -le 4 ]] || usage
BIN_DIR=$1
STATE_DIR=$2
DATA_MDB=${3:-}
PID_FILE=${4:-$STATE_DIR/demo.pids}
mkdir -p "$STATE_DIR"

# Each terminal's port: its variable's (a port, or host:port), else its own.
# The network terminal's is the one the rows name.
LAN_PORT=""
declare -A PORTS
while IFS='|' read -r name row kind variable port seed; do
  PORTS[$name]=$(port_of "${!variable:-}" "$port")
  [[ $kind != ethernet || -n $LAN_PORT ]] || LAN_PORT=${PORTS[$name]}
done < <(terminals)

if ! running "$PID_FILE"; then
  stop_demo "$PID_FILE"
  trap 'stop_demo "$PID_FILE"' ERR
  while IFS='|' read -r name row kind variable port seed; do
    # shellcheck disable=SC2086  # the seed arguments are words
    start_one "$name" "${PORTS[$name]}" $seed
  done < <(terminals)
  trap - ERR
fi

if [[ -n $DATA_MDB ]]; then
  add_terminal_rows "$DATA_MDB" "$LAN_PORT"
fi
