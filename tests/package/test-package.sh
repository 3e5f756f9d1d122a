#!/usr/bin/env bash
# test-package.sh BUILD_DIR VERSION
#
# Makes the Debian package from the build folder (with the operator's guide,
# made first when it is missing or older than its sources), checks that it
# carries every page and picture of the guide, checks it with lintian,
# installs it system-wide with dpkg, runs the installed program as a user
# with a fresh home (version, help, check, the window, a download from the
# package's own virtual terminal; the user timer's run and the window on one
# folder and one lock), then purges it. It changes the system, so
# it runs only as root with CI=true (CI machines are thrown away) or
# MERIDOX_PACKAGE_TEST=1, and is skipped (status 77) otherwise.
set -euo pipefail
build=$1
version=$2

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || skip "installs a package system-wide, which needs root"
[ "${CI:-}" = true ] || [ "${MERIDOX_PACKAGE_TEST:-0}" = 1 ] ||
  skip "installs a package system-wide; set MERIDOX_PACKAGE_TEST=1 to run it (CI sets CI=true)"
[ "${MERIDOX_SANITIZE:-0}" != 1 ] || skip "no package is made from a sanitizer build"
if dpkg-query -W -f='${Status}' meridox 2>/dev/null | grep -q 'ok installed'; then
  skip "meridox is installed on this machine already; it is not replaced"
fi
for tool in cpack lintian dpkg-shlibdeps file desktop-file-validate appstreamcli sqlite3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

work=$(mktemp -d)
installed=0
vt_pid=
cleanup() {
  if [ -n "$vt_pid" ]; then kill "$vt_pid" 2>/dev/null || true; fi
  if [ "$installed" = 1 ]; then dpkg --purge meridox >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== the operator's guide"
root="$(cd "$(dirname "$0")/../.." && pwd)"
MERIDOX_BUILD_DIR="$build" "$root/scripts/build-guide.sh" --when-needed >"$work/guide.log" 2>&1 ||
  { cat "$work/guide.log"; fail "scripts/build-guide.sh"; }

echo "== the package"
# A packaging folder of its own, so a scripts/package.sh run at the same
# time in the build folder is not disturbed.
(cd "$build" && cpack -G DEB -B "$work/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$work/out") \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/meridox_*.deb)
echo "$deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "package version is not $version-1"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6sql6 libsqlite3-0 libqt6sql6-sqlite; do
  grep -q "$p" <<<"$depends" || fail "Depends lacks $p"
done

guide=./usr/share/doc/meridox/kilavuz
dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
expected=("$guide/index.html" "$guide/_static/kilavuz.css" "$guide/search.html"
  "$guide/searchindex.js" "$guide/genindex.html")
for md in "$root"/docs/kilavuz/*.md; do
  page=$(basename "$md" .md)
  expected+=("$guide/$page.html")
done
while IFS='|' read -r picture _; do
  picture=$(echo "$picture" | xargs)
  [ -z "$picture" ] || [ "${picture:0:1}" = "#" ] || expected+=("$guide/_images/$picture")
done <"$root/docs/kilavuz/resimler.txt"
# The pictures kept with the pages (the Windows installer's).
for picture in "$root"/docs/kilavuz/resimler/*; do
  [ ! -f "$picture" ] || expected+=("$guide/_images/$(basename "$picture")")
done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$work/contents" || fail "the package lacks $f"
done
echo "guide: ${#expected[@]} files"

echo "== lintian"
lintian --fail-on error --info "$deb" | tee "$work/lintian.log" || fail "lintian reports errors"

echo "== installing"
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
installed=1

home=$work/home
data=$home/.local/share/meridox
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
# A user with a fresh home and no display; from a folder of no importance.
as_user() {
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u MERIDOX_HOME \
    -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" \
    XDG_RUNTIME_DIR="$work/runtime" "$@")
}

echo "== meridox --version, --help"
out=$(as_user meridox --version)
[ "$out" = "meridox $version" ] || fail "--version printed: $out"
out=$(as_user meridox --help)
grep -qF "meridox $version. Program klasörü: $data/" <<<"$out" || fail "--help lacks the folder: $out"
[ ! -e "$data" ] || fail "--help made the data folder"

echo "== meridox --check with a fresh home"
out=$(as_user meridox --check) || fail "--check ended with $?: $out"
echo "$out"
grep -qF "Terminal: 0, Hatalı: 0" <<<"$out" || fail "--check did not find an empty list"
[ -f "$data/Data.mdb" ] || fail "no Data.mdb in $data"
cmp "$data/Log.mdb" /usr/share/meridox/Log.mdb || fail "Log.mdb is not the package's"

echo "== the window, offscreen"
# From a fresh home again, so the folder it makes is the window's own.
rm -rf "$data"
as_user env QT_QPA_PLATFORM=offscreen timeout 60 meridox --quit-after-start ||
  fail "the window ended with $?"
[ -f "$data/Data.mdb" ] || fail "the window made no Data.mdb in $data"

echo "== menu entry, AppStream data, manual page"
desktop-file-validate /usr/share/applications/org.meridox.Meridox.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.meridox.Meridox.metainfo.xml
[ -f /usr/share/icons/hicolor/scalable/apps/meridox.svg ] || fail "no icon"
[ -f /usr/share/man/man1/meridox.1.gz ] || fail "no manual page"
units=/usr/lib/systemd/user
for f in $units/meridox-download.service $units/meridox-download.timer \
  /usr/share/doc/meridox/examples/meridox-download.service \
  /usr/share/doc/meridox/examples/meridox-download.timer; do
  [ -f "$f" ] || fail "no $f"
done

echo "== the user timer's run and the window: one folder, one lock"
# There is no user manager in a container, so the service's ExecStart line
# is run as the manager would: as the user, from the home folder, with the
# manager's environment (no XDG_* or MERIDOX_HOME of a login shell).
exec_start=$(sed -n 's/^ExecStart=//p' $units/meridox-download.service)
[ "$(wc -l <<<"$exec_start")" = 1 ] && [ -n "$exec_start" ] ||
  fail "the user service has not exactly one ExecStart line: $exec_start"
[[ "$exec_start" != *%* && "$exec_start" != *'$'* ]] ||
  fail "ExecStart uses specifiers or variables this test does not expand: $exec_start"
read -r -a unit_run <<<"$exec_start"
as_unit() { (cd "$home" && env -i HOME="$home" USER=root PATH=/usr/bin:/bin \
  XDG_RUNTIME_DIR="$work/runtime" "${unit_run[@]}"); }
# The terminal answers slowly, so the run holds the lock long enough for the
# window's download to meet it.
/usr/lib/meridox/vterminal --port 0 --machine 1 --seed-users 3 --seed-records 12 --latency 1000 \
  --state "$work/vt.json" >"$work/vt.out" 2>&1 &
vt_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/vt.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/vt.out"; fail "vterminal did not start"; }
sqlite3 "$data/Data.mdb" "insert into Terminal (Terminal,TerminalNo,Tip,ComPort,ComBaud,Ip,NetPort,Sifre) values ('T1','1','ethernet','1','9600','127.0.0.1','$port','0')"
as_unit >"$work/unit.out" 2>&1 &
unit_pid=$!
for _ in $(seq 100); do
  [ -e "$data/download.lock" ] && break
  sleep 0.1
done
[ -e "$data/download.lock" ] || { cat "$work/unit.out"; fail "the unit's run took no lock in $data"; }
# The window's download, in the folder the window chose above, while the
# unit's run is at work: it finds the lock held and, told not to wait, gives
# up without touching the files.
set +e
out=$(as_user meridox --download-all --lock-wait 0 2>&1)
status=$?
set -e
echo "$out"
[ "$status" = 1 ] && grep -qF "$data/download.lock kilidini tutan veri aktarımı bitmedi" <<<"$out" ||
  fail "a download in the window's folder did not meet the unit's lock (status $status)"
wait "$unit_pid" || { cat "$work/unit.out"; fail "the unit's run ended with $?"; }
cat "$work/unit.out"
[ "$(grep -c $'\r$' "$data/veri.txt")" = 12 ] || fail "veri.txt in $data does not hold 12 lines"
[ "$(find "$work" -name veri.txt | wc -l)" = 1 ] || fail "more than one veri.txt: $(find "$work" -name veri.txt)"
kill "$vt_pid"
wait "$vt_pid" 2>/dev/null || true
vt_pid=

echo "== purging"
dpkg --purge meridox >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
installed=0
[ ! -e /usr/bin/meridox ] && [ ! -e /usr/lib/meridox ] && [ ! -e /usr/share/meridox ] ||
  fail "files left after purge"
[ -f "$data/veri.txt" ] || fail "the user's data went with the package"
echo "PASS"
