#!/usr/bin/env bash
# Tests the Windows installer in a fresh 64-bit Wine prefix of its own:
#   test-installer.sh [SETUP_EXE]
# (default: the newest meridox-*-x64-setup.exe in dist/ of
# $MERIDOX_WINDOWS_BUILD_DIR or build-windows/, made by scripts/build-windows.sh).
# A silent install (/S); the installed meridox.com prints the version that
# the setup's name carries, and --check with no terminals ends as on Linux
# (status 0, the totals line), its program folder being
# %LOCALAPPDATA%\Meridox with the empty databases copied in; the operator's
# guide is in kilavuz\ beside the program; the Start-menu shortcuts (the
# guide's "Kullanım Kılavuzu" opening its index page) and the uninstall key
# with its values are there; the demo launcher runs the command line
# against its three terminals (when their ports are free); a silent
# uninstall removes the program folder, the shortcuts and the key, and
# keeps %LOCALAPPDATA%\Meridox.
# Exit status 0 when all holds, 77 (skipped, with the reason) without
# wine64 or without a setup and makensis to make one, 1 otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath -m -- "${MERIDOX_WINDOWS_BUILD_DIR:-$root/build-windows}")"
started=$SECONDS

skip() {
  echo "SKIP: $*"
  exit 77
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || skip "wine64 is not installed ($wine)"
# shellcheck disable=SC2012 # names made by build-windows.sh, no odd letters
setup="${1:-$(ls -t "$build"/dist/meridox-*-x64-setup.exe 2>/dev/null | head -n 1 || true)}"
if [ -z "$setup" ] || [ ! -f "$setup" ]; then
  command -v makensis >/dev/null || skip "no installer and no makensis (nsis) to make one"
  fail "no installer found: run scripts/build-windows.sh first (or give its path)"
fi
setup="$(realpath -- "$setup")"
version="$(basename "$setup" | sed -n 's/^meridox-\(.*\)-x64-setup\.exe$/\1/p')"
[ -n "$version" ] || fail "$setup: not named meridox-VERSION-x64-setup.exe"

tmp="$(mktemp -d)"
export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINELOADER="$wine" WINEDEBUG=-all
# No menu entries, file types or desktop links of the prefix into $HOME;
# no Mono or Gecko download prompt in a prefix that needs neither.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# Nothing here needs a display: no window may wait for a click.
unset MERIDOX_HOME DISPLAY WAYLAND_DISPLAY
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver
cleanup() {
  "$server" -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

step() { echo "== $* ($((SECONDS - started)) s)"; }
run() { "$wine" "$@" 2>"$tmp/stderr" | tr -d '\r'; }
# The prefix's registry, from its own reg.exe: 64-bit view.
reg_value() {
  "$wine" reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

step "new Wine prefix"
"$wine" wineboot --init >/dev/null 2>&1
"$server" -w
drive="$WINEPREFIX/drive_c"
user_dir="$(find "$drive/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)"
program="$drive/Program Files/Meridox"
data="$user_dir/AppData/Local/Meridox"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Meridox"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Meridox'

step "silent install of $(basename "$setup")"
"$wine" "$setup" /S || fail "the installer ended with status $?"
"$server" -w
for f in meridox.exe meridox.com meridox-demo.exe vterminal.exe sdkhost-x86_64.exe \
  stand-in/FK623Attend.dll Data.mdb Log.mdb demo/Data.mdb kilavuz/index.html \
  kilavuz/_static/kilavuz.css kilavuz/search.html uninstall.exe; do
  [ -f "$program/$f" ] || fail "not installed: $f"
done

step "meridox.com --version"
out="$(run 'C:\Program Files\Meridox\meridox.com' --version)" || fail "--version: status $?"
[ "$out" = "meridox $version" ] || fail "--version printed '$out', not 'meridox $version'"

step "meridox.com --check with no terminals"
status=0
out="$(run 'C:\Program Files\Meridox\meridox.com' --check)" || status=$?
[ "$status" = 0 ] || fail "--check: status $status: $out $(cat "$tmp/stderr")"
# The library in use first: the installed stand-ins, since no vendor DLL is there.
expected="Terminal kitaplığı: deneme kitaplığı (yalnızca deneme terminalleriyle konuşur)
İşlem tamamlandı. Terminal: 0, Hatalı: 0"
[ "$out" = "$expected" ] || fail "--check printed '$out'"
for f in Data.mdb Log.mdb; do
  [ -f "$data/$f" ] || fail "--check: no $f in %LOCALAPPDATA%\\Meridox"
  cmp -s "$data/$f" "$program/$f" || fail "--check: $f is not the installed empty one"
done
if [ -e "$program/veri.txt" ] || [ -e "$program/Settings.ini" ]; then
  fail "the installed program wrote into Program Files"
fi

step "Start-menu shortcuts"
for lnk in "Meridox.lnk" "Meridox (deneme terminalleri).lnk" "Kullanım Kılavuzu.lnk"; do
  [ -f "$menu/$lnk" ] || fail "no shortcut $lnk in $menu"
done
grep -qa 'meridox-demo.exe' "$menu/Meridox (deneme terminalleri).lnk" ||
  fail "the demo shortcut does not start meridox-demo.exe"
grep -qa 'kilavuz\\index.html' "$menu/Kullanım Kılavuzu.lnk" ||
  fail "the guide's shortcut does not open kilavuz\\index.html"
ls "$program"/kilavuz/_images/*.png >/dev/null 2>&1 || fail "the guide has no pictures"

step "uninstall key"
[ "$(reg_value "$key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
[ "$(reg_value "$key" DisplayName)" = Meridox ] || fail "DisplayName is not Meridox"
for v in Publisher UninstallString QuietUninstallString InstallLocation EstimatedSize; do
  [ -n "$(reg_value "$key" "$v")" ] || fail "no $v under $key"
done
reg_value "$key" QuietUninstallString | grep -q '/S$' || fail "QuietUninstallString lacks /S"

step "demo launcher: --check against the three demo terminals"
if ss -ltn 2>/dev/null | grep -qE ':(5005|47010|47101)\b'; then
  echo "skipped: a demo port (5005, 47010, 47101) is taken on this machine"
else
  status=0
  out="$(run 'C:\Program Files\Meridox\meridox-demo.exe' --check)" || status=$?
  [ "$status" = 0 ] || fail "meridox-demo --check: status $status: $out $(cat "$tmp/stderr")"
  for t in "Demo Ethernet" "Demo USB" "Demo COM1"; do
    grep -qx "$t: bağlantı başarılı" <<<"$out" || fail "meridox-demo --check: no success for $t: $out"
  done
  [ -f "$data/demo/terminaller/demo-lan.json" ] || fail "the demo terminals keep no state"
  if ss -ltn 2>/dev/null | grep -qE ':(5005|47010|47101)\b'; then
    fail "the demo terminals still listen after the program ended"
  fi
fi

step "silent uninstall"
"$wine" 'C:\Program Files\Meridox\uninstall.exe' /S || fail "the uninstaller ended with status $?"
# It runs on as a copy of itself in the temporary folder: wait for it.
"$server" -w
[ ! -e "$program" ] || fail "the program folder is still there: $(ls "$program")"
[ ! -e "$menu" ] || fail "the Start-menu folder is still there"
[ -z "$(reg_value "$key" DisplayVersion)" ] || fail "the uninstall key is still there"
for f in Data.mdb Log.mdb; do
  [ -f "$data/$f" ] || fail "the uninstaller removed the user's $f"
done

echo "PASS: installer $(basename "$setup") in $((SECONDS - started)) s"
