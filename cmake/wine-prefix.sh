#!/bin/sh
# Makes the Wine prefix PREFIX that this build's Windows programs run in,
# once (wineboot takes a while), with the environment a Qt program needs
# there: Wine hands no QT_* variable from Linux to a Windows program, so the
# offscreen platform and QtTest's output to a pipe are set in the prefix's
# own environment. Several callers may start at once: one makes it, the
# others wait for it.
set -eu
prefix="$1"
wine="$2"
# ready: made, and with its 32-bit system where 32-bit programs run (a
# prefix made while they did not has none, and Wine never adds it later).
ready() {
  [ -f "$prefix/.meridox-ready" ] &&
    { [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] ||
      ! /usr/lib/wine/wine --version >/dev/null 2>&1; }
}
ready && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
ready && exit 0
if [ -e "$prefix" ]; then
  echo "The Wine prefix $prefix has no 32-bit system; making it again" >&2
  rm -rf "$prefix"
fi
export WINEPREFIX="$prefix" WINEARCH=win64 WINELOADER="$wine" WINEDEBUG=-all
echo "Creating the Wine prefix $prefix" >&2
WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >&2
for setting in QT_QPA_PLATFORM=offscreen QT_FORCE_STDERR_LOGGING=1; do
  "$wine" reg add 'HKCU\Environment' /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null
done
# wineboot and reg may return before the server has written the registry.
server="$(dirname "$wine")/wineserver"
[ -x "$server" ] || server=wineserver
"$server" -w
[ -f "$prefix/system.reg" ] || { echo "Wine did not create $prefix/system.reg" >&2; exit 1; }
touch "$prefix/.meridox-ready"
