#!/bin/sh
# Creates the Wine prefix the wine-labelled suites share (PREFIX), once:
# Wine takes a while to set up a new one. Nothing to do when it is there or
# wine is not installed (the suites then skip, saying so).
set -eu
prefix="$1"
if [ -f "$prefix/system.reg" ]; then
  # A prefix made while this machine ran no 32-bit programs has no 32-bit
  # system (syswow64 empty), and Wine never adds it later: made again.
  if [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] ||
    ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "Wine prefix ready: $prefix"
    exit 0
  fi
  echo "Wine prefix $prefix has no 32-bit system; making it again"
  rm -rf "$prefix"
fi
# wine64 runs the 64-bit setup without the 32-bit loader, which a computer may
# have installed but be unable to run.
wine=$(command -v wine64 || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } || true
[ -n "$wine" ] || wine=$(command -v wine || true)
if [ -z "$wine" ]; then
  echo "wine is not installed: the wine suites will skip (scripts/install-deps.sh installs it)"
  exit 0
fi
mkdir -p "$prefix"
echo "Creating the Wine prefix $prefix with $wine"
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init
# wineboot may return before its server has written everything.
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
WINEPREFIX="$prefix" "$server" -w 2>/dev/null || true
[ -f "$prefix/system.reg" ] || { echo "Wine did not create $prefix/system.reg" >&2; exit 1; }
