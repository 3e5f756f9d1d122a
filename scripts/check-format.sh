#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of
# it with the project's .clang-format, and shows the difference. With --fix
# it formats the files in place instead. Needs Debian's clang-format
# (scripts/install-deps.sh installs it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
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
