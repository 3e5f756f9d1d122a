#!/usr/bin/env bash
# Builds the Windows program ($MERIDOX_WINDOWS_BUILD_DIR, default
# build-windows/; the Qt kit found by scripts/windows-kit.sh) and runs its
# tests under Wine:
#  1. the suites cross-built as Windows programs (ctest -L windows in
#     build-windows/);
#  2. the Linux build's Windows suites, which run the Windows program under
#     Wine against the Linux vterminal and compare it with the Linux program
#     (ctest -L windows in the Linux build, with MERIDOX_WINDOWS_BIN set);
#  3. the installer, installed silently into a Wine prefix and removed
#     (packaging/windows/test-installer.sh; exit 77 means skipped).
# The Linux build folder is the one scripts/test.sh uses ($MERIDOX_BUILD_DIR,
# default build/); it is built first when it is not there yet.
# MERIDOX_WERROR=1 makes the Windows build fail on any compiler warning.
# A failed build stops at once; a failed test step does not keep the later
# steps from running, and the script fails at the end. Prints how long each
# step took.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
linux_build="$(realpath -m -- "${MERIDOX_BUILD_DIR:-$root/build}")"
windows_build="$(realpath -m -- "${MERIDOX_WINDOWS_BUILD_DIR:-$root/build-windows}")"
export MERIDOX_WINDOWS_BUILD_DIR="$windows_build"
# shellcheck source=windows-kit.sh
. "$root/scripts/windows-kit.sh"
meridox_find_qt_mingw "$root"
# The 32-bit host rows run Wine's 32-bit loader (see scripts/test.sh).
"$root/scripts/enable-32bit.sh" || [ $? = 77 ]

started=$SECONDS
step_started=$SECONDS
failed=()
# step NAME STATUS: reports the step that just ended.
step() {
  local outcome=passed
  if [ "$2" != 0 ]; then
    outcome="FAILED ($2)"
    failed+=("$1")
  fi
  echo "== $1: $outcome, $((SECONDS - step_started)) s" >&2
  step_started=$SECONDS
}

"$root/scripts/build-windows.sh"
step "Windows build" 0

status=0
(cd "$windows_build" && ctest --output-on-failure --timeout 600 -j "$(nproc)" -L windows) ||
  status=$?
step "cross-built suites under Wine" $status

if [ ! -f "$linux_build/CMakeCache.txt" ]; then
  # shellcheck source=preset.sh
  . "$root/scripts/preset.sh"
  MERIDOX_BUILD_DIR="$linux_build" MERIDOX_PRESET="$(meridox_preset plain)" "$root/scripts/build.sh"
else
  cmake --build "$linux_build" --parallel "$(nproc)"
fi
status=0
(cd "$linux_build" && MERIDOX_WINDOWS_BIN="$windows_build/bin" QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --timeout 900 -j "$(nproc)" -L windows) || status=$?
step "Windows program against the Linux program" $status

status=0
bash "$root/packaging/windows/test-installer.sh" || status=$?
if [ "$status" = 77 ]; then
  echo "installer test skipped" >&2
  status=0
fi
step "installer" $status

if [ ${#failed[@]} -gt 0 ]; then
  echo "== Windows tests FAILED after $((SECONDS - started)) s: ${failed[*]}" >&2
  exit 1
fi
echo "== Windows tests passed in $((SECONDS - started)) s" >&2
