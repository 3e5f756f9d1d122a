#!/usr/bin/env bash
# deploy-qt-mingw.sh: copy the DLLs a Qt Widgets/SQL program built with the
# kit needs next to its .exe (a poor man's windeployqt, which qtbase 6.4 lacks).
#
# usage: deploy-qt-mingw.sh EXE_DIR [QT_KIT]
#   EXE_DIR  folder holding the program's .exe file(s)
#   QT_KIT   the kit (default: the folder above this script's bin/)
# environment:
#   QT_MODULES  Qt DLLs to copy (default: "Core Gui Widgets Sql Network Concurrent Test")
#
# Result (Qt finds plugins in <exe dir>/<type>/ by itself):
#   EXE_DIR/Qt6*.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll libmariadb.dll sqlite3.dll
#   EXE_DIR/platforms/qwindows.dll  EXE_DIR/styles/qwindowsvistastyle.dll
#   EXE_DIR/sqldrivers/qsqlite.dll qsqlmysql.dll  EXE_DIR/imageformats/*.dll
#   EXE_DIR/tls/*.dll (only when Network is listed)
set -euo pipefail
dest=${1:?usage: deploy-qt-mingw.sh EXE_DIR [QT_KIT]}
kit=${2:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
modules=${QT_MODULES:-Core Gui Widgets Sql Network Concurrent Test}
[[ -f $kit/bin/Qt6Core.dll ]] || { echo "no Qt6Core.dll in $kit/bin" >&2; exit 1; }
mkdir -p "$dest"
for m in $modules; do cp -u "$kit/bin/Qt6$m.dll" "$dest/"; done
cp -u "$kit"/bin/{libgcc_s_seh-1,libstdc++-6,libwinpthread-1,libmariadb,sqlite3}.dll "$dest/"
plugin_dirs="platforms styles sqldrivers imageformats"
[[ " $modules " == *" Network "* ]] && plugin_dirs+=" tls"
for d in $plugin_dirs; do
  [[ -d $kit/plugins/$d ]] || continue
  mkdir -p "$dest/$d"
  cp -u "$kit/plugins/$d"/*.dll "$dest/$d/"
done
