#!/usr/bin/env bash
# Makes the pictures of the Windows installer's pages for the operator's
# guide (docs/kilavuz/kurulum.md) into OUTDIR:
#
#   scripts/installer-pictures.sh OUTDIR [SETUP_EXE]
#
# SETUP_EXE defaults to the newest build-windows/dist/meridox-*-x64-setup.exe
# (scripts/build-windows.sh makes it). The Linux build of the guide has no
# Windows installer to run, so these pictures are not made with the others
# (scripts/guide-pictures.sh): this script makes them when the installer's
# pages change, and they are kept with the guide's pages, in
# docs/kilavuz/resimler/, from where scripts/render-guide.sh takes them.
#
# The real installer runs under 64-bit Wine in a new prefix of its own, on
# an X server of its own (xvfb-run). xdotool finds its window by title and
# presses its keys; imagemagick's import saves the window. Each page is
# checked before it is saved (the kind of page it shows, and that it
# differs from the page before), or the run fails and names the page. The installer goes through to the end
# (it installs into the temporary prefix, which is removed however the run
# ends). A new prefix takes Wine some minutes to set up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" = --inside ]; then
  inside=true
  shift
else
  inside=false
fi
if [ $# -lt 1 ] || [ $# -gt 2 ] || [ -z "$1" ]; then
  echo "usage: $0 OUTDIR [SETUP_EXE]" >&2
  exit 2
fi
fail() {
  echo "installer-pictures: $*" >&2
  exit 1
}

# "Meridox VERSION", the installer's name, from the setup's file name.
installer_name() {
  basename "$1" | sed -n 's/^meridox-\(.*\)-x64-setup\.exe$/Meridox \1/p'
}

wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver

if ! $inside; then
  out="$(realpath -m -- "$1")"
  # shellcheck disable=SC2012 # names made by build-windows.sh, no odd letters
  setup="${2:-$(ls -t "$root"/build-windows/dist/meridox-*-x64-setup.exe 2>/dev/null | head -n 1 || true)}"
  [ -n "$setup" ] || fail "no installer found: give its path, or make it with scripts/build-windows.sh"
  [ -f "$setup" ] ||
    fail "$setup: no such file"
  setup="$(realpath -- "$setup")"
  [ -n "$(installer_name "$setup")" ] || fail "$setup: not named meridox-VERSION-x64-setup.exe"
  [ -x "$wine" ] || fail "wine64 is missing ($wine); scripts/install-deps.sh installs it"
  for tool in xvfb-run xauth xdotool import compare timeout; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing; scripts/install-deps.sh installs it"
  done
  mkdir -p "$out"
  # A fixed screen, so every run lays the window out alike; a run that
  # hangs ends after half an hour (a new prefix alone takes minutes).
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    timeout -k 10 1800 nice -n 19 "$0" --inside "$out" "$setup"
fi

out=$1
setup=$2
work="$(mktemp -d "${TMPDIR:-/tmp}/meridox-installer.XXXXXX")"
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINELOADER="$wine" WINEDEBUG=-all
# No menu entries of the prefix into $HOME; no Mono or Gecko download prompt.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
cleanup() {
  "$server" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

echo "installer-pictures: a new Wine prefix (this takes a while)"
"$wine" wineboot --init >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -n 3 "$work/wineboot.log")"
"$server" -w

"$wine" "$setup" >"$work/setup.log" 2>&1 &

# The installer's window: its title is "<name> Kurulumu" on every page.
caption="$(installer_name "$setup") Kurulumu"
window=""
start=$SECONDS
while [ -z "$window" ]; do
  [ $((SECONDS - start)) -lt 120 ] || fail "no window titled \"$caption\" within 120 s: $(tail -n 3 "$work/setup.log")"
  sleep 0.5
  window="$(xdotool search --name "^$caption" 2>/dev/null | head -n 1 || true)"
done

# The title does not tell the pages apart, so each page is known by what it
# shows: the first and the last page have the wizard's dark blue band down
# the left side, the pages between a white header over a grey page; and
# every page must differ from the one before it (a key that did not act
# leaves the same page). $1: the file, $2: the page, $3: "band" or "header".
previous=""
save() {
  local file=$1 page=$2 kind=$3 pixel shows differ
  import -window "$window" "$work/page.png" || fail "could not save the window on the page \"$page\""
  pixel="$(convert "$work/page.png" -format '%[pixel:p{5,150}]' info:)"
  case "$pixel" in
    srgb\(0,0,*) shows=band ;;
    *) shows=header ;;
  esac
  [ "$shows" = "$kind" ] || cp "$work/page.png" "$out/$file.wrong.png"
  [ "$shows" = "$kind" ] ||
    fail "the page \"$page\" was expected, but the window shows another one (${shows}, not ${kind}); see $out/$file.wrong.png"
  if [ -n "$previous" ]; then
    differ="$(compare -metric AE "$previous" "$work/page.png" null: 2>&1 || true)"
    if [ "${differ%% *}" = 0 ]; then
      cp "$work/page.png" "$out/$file.wrong.png"
      fail "the page \"$page\" was expected, but the window still shows the page before it; see $out/$file.wrong.png"
    fi
  fi
  cp "$work/page.png" "$out/$file"
  cp "$work/page.png" "$work/previous.png"
  previous="$work/previous.png"
  echo "installer-pictures: $file ($page)"
}
# xdotool sends the key to the installer's window, focused or not.
key() { xdotool key --window "$window" "$1" 2>/dev/null; }

rm -f "$out"/kurulum-*.png
# Each page is given time to be drawn before it is saved.
sleep 3
save kurulum-1-karsilama.png "Kurulum sihirbazına hoş geldiniz" band
key Return # İleri >
sleep 3
save kurulum-2-klasor.png "Hedef dizini seçimi" header
key Return # Kur
# The files are being copied: saved while the progress bar runs, as the
# installer goes on to the last page by itself when they are in place.
sleep 0.5
save kurulum-3-kuruluyor.png "Kuruluyor" header
start=$SECONDS
until [ "$(xdotool search --name "^$caption" 2>/dev/null | head -n 1 || true)" = "$window" ] &&
  import -window "$window" "$work/now.png" &&
  convert "$work/now.png" -format '%[pixel:p{5,150}]' info: | grep -q '^srgb(0,0,'; do
  [ $((SECONDS - start)) -lt 300 ] || fail "the installer did not finish copying within 300 s"
  sleep 1
done
sleep 2
save kurulum-4-bitis.png "Kurulum sihirbazı tamamlanıyor" band
key Return # Bitir
timeout 120 "$server" -w || fail "the installer did not close after Bitir"
echo "installer-pictures: 4 pictures in $out"
