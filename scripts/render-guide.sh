#!/usr/bin/env bash
# Renders the operator's guide to HTML with Sphinx and MyST (Debian's
# python3-sphinx and python3-myst-parser; docs/kilavuz/conf.py says how):
#
#   render-guide.sh SRC_DIR PICTURES_DIR OUT_DIR
#
# SRC_DIR holds the Markdown pages (index.md links every page), conf.py and
# kilavuz.css, and in resimler/ the pictures kept with the pages (the
# Windows installer's, from scripts/installer-pictures.sh); PICTURES_DIR
# holds the pictures made from the program (scripts/guide-pictures.sh). The
# pages show both as resimler/NAME. Warnings are errors, and every reference
# is checked: a link to a missing page, section or picture, or a page that
# index.md does not link, fails the run and names the page and the target. SRC_DIR is only
# read. The guide is made in a new folder beside OUT_DIR and put in place
# only when complete, so OUT_DIR holds the old guide or the new one, never a
# part.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: render-guide.sh SRC_DIR PICTURES_DIR OUT_DIR" >&2
  exit 2
fi
src=$(realpath -- "$1")
pictures=$(realpath -- "$2")
out=$(realpath -m -- "$3")
# Debian's python3, whatever python3 comes first in PATH.
if ! /usr/bin/python3 -c 'import sphinx, myst_parser' 2>/dev/null; then
  echo "render-guide.sh: Sphinx or MyST is missing; install Debian's python3-sphinx and" \
    "python3-myst-parser (scripts/install-deps.sh)" >&2
  exit 1
fi

mkdir -p "$(dirname "$out")"
work=$(mktemp -d "$(dirname "$out")/.kilavuz.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Sphinx reads the pictures beside the pages; a copy keeps SRC_DIR read-only.
mkdir "$work/src"
cp -r "$src"/. "$work/src/"
mkdir -p "$work/src/resimler"
cp -r "$pictures"/. "$work/src/resimler/"
# -W: a warning fails; -n: every reference must resolve; -E: no old state.
# The message index takes the windows' message boxes from the program's
# sources beside this script, so that none goes unexplained.
export MERIDOX_GUI_SOURCE="${MERIDOX_GUI_SOURCE:-$(cd "$(dirname "$0")/.." && pwd)/gui}"
# Its messages name the pages in SRC_DIR, not in the copy.
status=0
LC_ALL=C.UTF-8 /usr/bin/python3 -m sphinx -b html -W -n -E -q --keep-going \
  -d "$work/doctrees" "$work/src" "$work/html" 2>"$work/messages" || status=$?
sed "s|$work/src/|$src/|g" "$work/messages" >&2
[ "$status" = 0 ] || { echo "render-guide.sh: the guide has faults (above)" >&2; exit 1; }
rm -f "$work/html/.buildinfo"
rm -rf "$out.old"
if [ -e "$out" ]; then mv "$out" "$out.old"; fi
mv "$work/html" "$out"
rm -rf "$out.old"
