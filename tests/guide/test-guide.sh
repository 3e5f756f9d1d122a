#!/usr/bin/env bash
# test-guide.sh BUILD_DIR
#
# Renders the operator's guide as build-guide.sh does, but into a temporary
# folder: the pictures from the program of BUILD_DIR
# (scripts/guide-pictures.sh), then the HTML (scripts/render-guide.sh, which
# itself fails on a link to a missing page, section or picture). Then
# check-guide.py reads the HTML: every local link and picture leads
# somewhere, every picture of resimler.txt is shown, every window of gui/
# has a picture.
set -euo pipefail
build=$1
root="$(cd "$(dirname "$0")/../.." && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }
/usr/bin/python3 -c 'import sphinx, myst_parser' 2>/dev/null ||
  fail "Debian's python3-sphinx or python3-myst-parser is missing (scripts/install-deps.sh installs them)"

# In the sanitizer build the windows run on a real X server, whose
# libraries the offscreen suites never load: the X keyboard library copies
# a name with strndup from a buffer without a terminating zero (correct for
# strndup, but it trips the strict string check, which stays on elsewhere),
# and the D-Bus library's leak is listed in lsan.supp.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$root/tests/guide/lsan.supp"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
MERIDOX_BUILD_DIR="$build" "$root/scripts/guide-pictures.sh" "$work/pictures" ||
  fail "scripts/guide-pictures.sh ended with $?"
"$root/scripts/render-guide.sh" "$root/docs/kilavuz" "$work/pictures" "$work/kilavuz" ||
  fail "render-guide.sh ended with $?"
/usr/bin/python3 "$root/tests/guide/check-guide.py" "$root/docs/kilavuz" "$root/gui" "$work/kilavuz" ||
  fail "the guide has faults (above)"
echo PASS
