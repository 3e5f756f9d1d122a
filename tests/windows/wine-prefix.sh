#!/bin/sh
# The Wine prefix the cross-built suites of this folder run in (PREFIX):
# made once, with the variables a Windows program cannot get from Linux set
# in its user environment: no display (the offscreen platform), and QtTest's
# lines on the standard error, which ctest shows.
set -eu
prefix="$1"
sh "$(dirname "$0")/../wine/setup-prefix.sh" "$prefix"
[ -f "$prefix/system.reg" ] || exit 0
for setting in QT_QPA_PLATFORM=offscreen QT_FORCE_STDERR_LOGGING=1; do
  WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg add 'HKCU\Environment' \
    /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null
done
# reg returns before the server has written the registry to disk.
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -w || true
