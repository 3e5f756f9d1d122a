#!/usr/bin/env bash
# Fails when a C++ file of the tree (tracked, or new and not ignored) differs
# from what clang-format makes of it with the project's .clang-format, and
# shows the difference. With --fix
# it formats the files in place instead. Needs Debian's clang-format
# (scripts/install-deps.sh installs it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# New files too, so a file not yet added is formatted before its commit.
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' |
  sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
status=0
for f in "${files[@]}"; do
  if ! clang-format "$f" | diff -u --label "$f" --label "$f (clang-format)" "$f" - ; then
    status=1
  fi
done
if [ "$status" != 0 ]; then
  echo "check-format: the files above differ from .clang-format (scripts/check-format.sh --fix formats them)" >&2
fi
exit "$status"
