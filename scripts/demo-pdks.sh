#!/bin/bash
# Starts a demo personnel (PDKS) database the program can import names and
# list members from, or stops it.
#
#   demo-pdks.sh BIN_DIR STATE_DIR [PID_FILE]   start (or keep) it
#   demo-pdks.sh --stop STATE_DIR [PID_FILE]    stop it
#
# A MariaDB server (Debian's mariadb-server-core binaries, no system service)
# with its data in STATE_DIR/pdks, listening on 127.0.0.1 only, port
# $MERIDOX_DEMO_PDKS_PORT (default 3307). On first start it creates database
# "pdks" with table "personel" (latin5, as the PDKS program keeps it) holding
# a person for most users of the demo terminals (cards 00001 to 00022; 00023
# to 00025 have none), several of them members, and user "pdks" (password
# "pdks") who may read it. Later starts reuse the data.
#
# The Login and MySql keys of BIN_DIR/Settings.ini that are missing are
# written so that the program finds this server; keys already there are left
# alone. The server's process id is added to PID_FILE (default
# STATE_DIR/demo.pids), which --stop (or a plain kill of that id) uses.
set -euo pipefail

usage() {
  sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

find_program() {  # find_program NAME: in PATH or the system folders
  command -v "$1" 2>/dev/null || { [[ -x /usr/sbin/$1 ]] && echo "/usr/sbin/$1"; } || {
    echo "demo-pdks: $1 not found (install mariadb-server-core)" >&2
    return 1
  }
}

pid_file_of() { echo "${1:-$2/demo.pids}"; }

stop_pdks() {  # stop_pdks DATA_DIR PID_FILE
  local pidfile=$1/mariadbd.pid pid
  [[ -f $pidfile ]] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  [[ -f $2 ]] && sed -i "/^$pid\$/d" "$2"
  return 0
}

sql() { mariadb --no-defaults --socket="$SOCKET" -uroot --default-character-set=utf8mb4 "$@"; }

seed() {
  sql <<'SQL'
CREATE DATABASE pdks CHARACTER SET latin5 COLLATE latin5_turkish_ci;
CREATE TABLE pdks.personel (
  id INT AUTO_INCREMENT PRIMARY KEY,
  kartno VARCHAR(20) NOT NULL,
  ad VARCHAR(40), soyad VARCHAR(40),
  durum VARCHAR(10), personelturu VARCHAR(10),
  uyebaslamatarihi DATE, uyebitistarihi DATE,
  KEY (kartno)
) CHARACTER SET latin5 COLLATE latin5_turkish_ci;
INSERT INTO pdks.personel (kartno, ad, soyad, durum, personelturu, uyebaslamatarihi, uyebitistarihi) VALUES
  ('00001', 'Gül', 'Şahin', 'Aktif', 'personel', NULL, NULL),
  ('00002', 'İSMAİL', 'ÇAĞLAR', 'Aktif', 'personel', NULL, NULL),
  ('00003', 'Ayşe', 'Yılmaz', 'Aktif', 'uye', '2024-01-01', '2024-12-31'),
  ('00004', 'Hüsnü', 'Öztürk', 'Aktif', 'uye', '2024-03-15', '2025-03-14'),
  ('00005', 'Çiğdem', 'Doğan', 'pasif', 'uye', '2023-01-01', '2023-12-31'),
  ('00006', 'Şükrü', 'Güneş', 'Aktif', 'personel', NULL, NULL),
  ('00007', 'Özlem', 'Kılıç', 'Aktif', 'uye', '2024-06-01', '2025-05-31'),
  ('00008', 'Uğur', 'Işık', 'Aktif', 'personel', NULL, NULL),
  ('00009', 'Gökhan', '', 'Aktif', 'personel', NULL, NULL),
  ('00010', 'İpek', 'Erdoğan', 'pasif', 'uye', '2022-09-01', '2023-08-31'),
  ('00011', 'Barış', 'Çelik', 'Aktif', 'personel', NULL, NULL),
  ('00012', 'Büşra', 'Aydın', 'Aktif', 'uye', '2024-02-01', '2025-01-31'),
  ('00013', 'Doğan', 'Karagöz', 'Aktif', 'personel', NULL, NULL),
  ('00014', 'Elif', 'Şimşek', 'Aktif', 'uye', '2024-04-01', '2025-03-31'),
  ('00015', 'Tuğrul', 'Ünal', 'Aktif', 'personel', NULL, NULL),
  ('00016', 'Merve', 'Gündüz', 'pasif', 'personel', NULL, NULL),
  ('00017', 'Ömer', 'Koç', 'Aktif', 'uye', '2024-01-15', '2024-07-14'),
  ('00018', 'Zeynep', 'İnce', 'Aktif', 'personel', NULL, NULL),
  ('00019', 'Şenol', 'Akgül', 'Aktif', 'personel', NULL, NULL),
  ('00020', 'Hatice', 'Bulut', 'Aktif', 'uye', '2024-05-01', '2025-04-30'),
  ('00021', 'Çağrı', 'Öz', 'Aktif', 'personel', NULL, NULL),
  ('00022', 'Dilek', 'Keskin', 'Aktif', 'personel', NULL, NULL);
CREATE USER 'pdks'@'127.0.0.1' IDENTIFIED BY 'pdks';
GRANT SELECT ON pdks.* TO 'pdks'@'127.0.0.1';
SQL
}

# Adds the keys that are missing to Settings.ini (Windows-1254, CR LF),
# leaving every other line as it was.
write_settings() {  # write_settings FILE PORT
  python3 - "$1" "$2" <<'PY'
import os, sys
path, port = sys.argv[1], sys.argv[2]
wanted = [("Login", "Server", "127.0.0.1"), ("Login", "Database", "pdks"),
          ("MySql", "User", "pdks"), ("MySql", "Password", "pdks"), ("MySql", "Port", port)]
lines = []
if os.path.exists(path):
    with open(path, "rb") as f:
        lines = f.read().decode("cp1254").replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
def section_of(line):
    t = line.strip()
    return t[1:].split("]")[0].strip().lower() if t.startswith("[") else None
def find(section, key):  # (has section, index after its last line, has key)
    current, end, found = None, None, False
    for i, line in enumerate(lines):
        s = section_of(line)
        if s is not None:
            current = s
            if s == section.lower():
                end = i + 1
            continue
        if current == section.lower():
            if line.strip():
                end = i + 1
            if "=" in line and line.split("=", 1)[0].strip().lower() == key.lower():
                found = True
    return end, found
added = []
for section, key, value in wanted:
    end, found = find(section, key)
    if found:
        continue
    if end is None:
        lines.append("[%s]" % section)
        end = len(lines)
    lines.insert(end, "%s=%s" % (key, value))
    added.append("%s/%s" % (section, key))
if added:
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1254"))
    print("demo-pdks: Settings.ini: added " + ", ".join(added))
PY
}

if [[ ${1:-} == --stop ]]; then
  [[ $# == 2 || $# == 3 ]] || usage
  stop_pdks "$2/pdks" "$(pid_file_of "${3:-}" "$2")"
  exit 0
fi
[[ $# == 2 || $# == 3 ]] || usage
BIN_DIR=$1
STATE_DIR=$2
PID_FILE=$(pid_file_of "${3:-}" "$STATE_DIR")
DATA_DIR=$STATE_DIR/pdks
SOCKET=$DATA_DIR/mariadbd.sock
PORT=${MERIDOX_DEMO_PDKS_PORT:-3307}
mkdir -p "$STATE_DIR"

MARIADBD=$(find_program mariadbd)
INSTALL_DB=$(find_program mariadb-install-db)
as_root=()
[[ $(id -u) == 0 ]] && as_root=(--user=root)

if [[ -f $DATA_DIR/mariadbd.pid ]] && kill -0 "$(cat "$DATA_DIR/mariadbd.pid")" 2>/dev/null; then
  echo "demo-pdks: already running on 127.0.0.1:$PORT"
else
  if [[ ! -d $DATA_DIR/data/mysql ]]; then
    mkdir -p "$DATA_DIR"
    "$INSTALL_DB" --no-defaults --auth-root-authentication-method=normal --skip-test-db \
      --datadir="$DATA_DIR/data" "${as_root[@]}" >"$DATA_DIR/install.log" 2>&1 || {
      echo "demo-pdks: mariadb-install-db failed:" >&2
      cat "$DATA_DIR/install.log" >&2
      exit 1
    }
  fi
  "$MARIADBD" --no-defaults --datadir="$DATA_DIR/data" --socket="$SOCKET" --port="$PORT" \
    --bind-address=127.0.0.1 --skip-name-resolve --skip-log-bin --innodb-buffer-pool-size=16M \
    --pid-file="$DATA_DIR/mariadbd.pid" "${as_root[@]}" >"$DATA_DIR/server.log" 2>&1 &
  pid=$!
  echo "$pid" >>"$PID_FILE"
  ready=0
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    if sql -e 'SELECT 1' >/dev/null 2>&1; then ready=1; break; fi
    sleep 0.1
  done
  if [[ $ready != 1 ]]; then
    echo "demo-pdks: the server did not start (port $PORT taken? set MERIDOX_DEMO_PDKS_PORT):" >&2
    tail -5 "$DATA_DIR/server.log" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  if [[ -z $(sql -N -e "SHOW DATABASES LIKE 'pdks'") ]]; then seed; fi
  echo "demo-pdks: personnel database on 127.0.0.1:$PORT (database pdks, user pdks)"
fi

write_settings "$BIN_DIR/Settings.ini" "$PORT"
echo "demo-pdks: stop it with: $0 --stop $STATE_DIR${3:+ $3}"
