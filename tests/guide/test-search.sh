#!/usr/bin/env bash
# test-search.sh
#
# The guide's full-text search as an operator meets it: the guide opened
# from disk (file://, no web server) in Chromium, headless, and a word typed
# into the search box (search.html?q=...). Each search must find the page
# that answers it among its first results. The guide is rendered as
# build-guide.sh does, with blank stand-ins for the pictures, which the
# search does not read (the test "guide" renders it with the real ones).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
browser=$(command -v chromium || true)
[ -n "$browser" ] || skip "chromium is missing (scripts/install-deps.sh installs it)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pictures"
while IFS='|' read -r picture _; do
  picture=$(echo "$picture" | xargs)
  [ -z "$picture" ] || [ "${picture:0:1}" = "#" ] ||
    base64 -d >"$work/pictures/$picture" <<<"iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="
done <"$root/docs/kilavuz/resimler.txt"
"$root/scripts/render-guide.sh" "$root/docs/kilavuz" "$work/pictures" "$work/kilavuz" ||
  fail "render-guide.sh ended with $?"

# The pages a search lists, in its order. The search runs in the page's
# script; the virtual time lets it finish before the page is printed.
results() {
  local query=$1
  "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
    --user-data-dir="$work/profile" --virtual-time-budget=20000 \
    --dump-dom "file://$work/kilavuz/search.html?q=$query" 2>"$work/chromium.log" |
    tr '\n' ' ' | grep -o '<ul class="search">.*</ul>' | grep -o 'href="[^"#]*' | sed 's/href="//' |
    awk '!seen[$0]++' || true
}

# query (as typed, URL-encoded) | the page that must be among the first 5
faults=0
while IFS='|' read -r query page; do
  found=$(results "$query" | head -n 5)
  shown=$(tr '\n' ' ' <<<"$found")
  echo "${query//+/ }: ${shown:-nothing}"
  if ! grep -qxF "$page" <<<"$found"; then
    echo "FAIL: searching '${query//+/ }' from file:// did not list $page among the first five" >&2
    faults=1
  fi
done <<'CASES'
parmak+izi|yedek-yukle.html
veri.txt|veri-aktarma.html
No+Open+Comm|sorun-giderme.html
CASES
[ "$faults" = 0 ] || { cat "$work/chromium.log" >&2; exit 1; }
echo PASS
