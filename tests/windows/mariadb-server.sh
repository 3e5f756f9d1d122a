#!/bin/sh
# A Linux MariaDB server for the Windows suites under Wine, which cannot
# start one themselves: "start DIR" makes a data folder in DIR, starts
# mariadbd on a free loopback port and writes host:port:user:password for
# MERIDOX_TEST_MARIADB into DIR/address; "stop DIR" stops it. Without the
# server's programs (mariadb-server-core) it writes no address, and the
# suites that need a server fail saying so, as they do on Linux.
set -eu
action="$1"
dir="$2"
pidfile="$dir/mariadbd.pid"

find_program() {
  command -v "$1" 2>/dev/null || { [ -x "/usr/sbin/$1" ] && echo "/usr/sbin/$1"; } || true
}

stop() {
  rm -f "$dir/address"
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  i=0
  while kill -0 "$pid" 2>/dev/null && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$pidfile"
}

case "$action" in
stop)
  stop
  exit 0
  ;;
start) ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac

stop
rm -rf "$dir"
mkdir -p "$dir/tmp"
install=$(find_program mariadb-install-db)
server=$(find_program mariadbd)
if [ -z "$install" ] || [ -z "$server" ]; then
  echo "mariadb-install-db or mariadbd not found (mariadb-server-core): no server for the Windows suites"
  exit 0
fi
user=""
[ "$(id -u)" = 0 ] && user="--user=root"
TMPDIR="$dir/tmp" "$install" --no-defaults --auth-root-authentication-method=normal \
  --skip-test-db --datadir="$dir/data" $user >"$dir/install.log" 2>&1 || {
  cat "$dir/install.log" >&2
  exit 1
}
client=$(find_program mariadb)
# A port that is free now; another try when the server finds it taken.
try=0
while :; do
  try=$((try + 1))
  port=$((20000 + $(od -An -N2 -tu2 /dev/urandom) % 40000))
  "$server" --no-defaults --datadir="$dir/data" --socket="$dir/mysqld.sock" \
    --tmpdir="$dir/tmp" --port="$port" --bind-address=127.0.0.1 \
    --pid-file="$dir/server.pid" --skip-name-resolve --skip-log-bin \
    --innodb-buffer-pool-size=16M $user >"$dir/server.log" 2>&1 &
  echo $! >"$pidfile"
  i=0
  until "$client" --no-defaults --socket="$dir/mysqld.sock" -uroot -e 'SELECT 1' >/dev/null 2>&1; do
    i=$((i + 1))
    kill -0 "$(cat "$pidfile")" 2>/dev/null && [ $i -le 600 ] || break
    sleep 0.1
  done
  if "$client" --no-defaults --socket="$dir/mysqld.sock" -uroot -e 'SELECT 1' >/dev/null 2>&1; then
    break
  fi
  stop
  if [ $try -ge 5 ]; then
    echo "mariadbd did not start; see $dir/server.log" >&2
    exit 1
  fi
done
password="meridox-$$"
"$client" --no-defaults --socket="$dir/mysqld.sock" -uroot -e "
  CREATE USER 'meridox'@'127.0.0.1' IDENTIFIED BY '$password';
  GRANT ALL PRIVILEGES ON *.* TO 'meridox'@'127.0.0.1' WITH GRANT OPTION;"
echo "127.0.0.1:$port:meridox:$password" >"$dir/address"
echo "mariadbd on 127.0.0.1:$port"
