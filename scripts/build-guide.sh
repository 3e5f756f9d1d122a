#!/usr/bin/env bash
# Makes the operator's guide of a build folder ($MERIDOX_BUILD_DIR, default
# build/; built first, as build.sh does, when it is not there yet, brought
# up to date otherwise): the pictures of the program's windows
# (scripts/guide-pictures.sh, into guide-pictures/ of the build folder),
# then the HTML of docs/kilavuz/ with those pictures (scripts/render-guide.sh:
# Sphinx and MyST) into bin/kilavuz/ of the build folder, beside the program, where F1 finds
# it. Prints the guide's index page. The checkout itself is only read.
#   build-guide.sh --when-needed
# does nothing when the guide is newer than its pages, the program, the
# picture program and the scripts that make it (the package test and
# build-windows.sh use it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
guide="$build/bin/kilavuz"

if [ "${1:-}" = --when-needed ]; then
  if [ -f "$guide/index.html" ] && [ -f "$build/bin/meridox" ] && [ -f "$build/bin/guide-pictures" ] &&
    [ -z "$(find "$root/docs/kilavuz" "$build/bin/meridox" "$build/bin/guide-pictures" \
      "$root/scripts/render-guide.sh" "$root/scripts/guide-pictures.sh" \
      -newer "$guide/index.html" -print -quit)" ]; then
    echo "$guide/index.html"
    exit 0
  fi
elif [ $# -gt 0 ]; then
  echo "usage: build-guide.sh [--when-needed]" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"
if [ -f "$build/CMakeCache.txt" ]; then
  # Not build.sh: configuring again with its preset would reset the
  # folder's own settings (warnings as errors) and rebuild everything.
  cmake --build "$build" --parallel "$(nproc)"
else
  # As test.sh configures it: MERIDOX_WERROR=1 makes warnings errors.
  # shellcheck source=scripts/preset.sh
  . "$root/scripts/preset.sh"
  MERIDOX_BUILD_DIR="$build" MERIDOX_PRESET="${MERIDOX_PRESET:-$(meridox_preset plain)}" "$root/scripts/build.sh"
fi

# Every picture is made again, so none shows a window as it was.
pictures="$build/guide-pictures"
rm -rf "$pictures"
MERIDOX_BUILD_DIR="$build" "$root/scripts/guide-pictures.sh" "$pictures"
"$root/scripts/render-guide.sh" "$root/docs/kilavuz" "$pictures" "$guide"
echo "$guide/index.html"
