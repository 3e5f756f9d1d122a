# shellcheck shell=bash
# Sourced by the build and test scripts: the one place that turns the
# environment into a CMake preset of CMakePresets.json.
#
#   meridox_preset [plain|sanitize|windows]
#
# prints the preset of that kind, or of the kind MERIDOX_SANITIZE=1 asks for
# (sanitize, else plain) when none is named; MERIDOX_WERROR=1 picks its
# variant with warnings as errors (ci, ci-sanitize, windows-ci).
meridox_preset() {
  local kind="${1:-}"
  if [ -z "$kind" ]; then
    kind=plain
    [ "${MERIDOX_SANITIZE:-0}" = 1 ] && kind=sanitize
  fi
  case "$kind" in
    plain | sanitize | windows) ;;
    *)
      echo "meridox_preset: no preset kind \"$kind\" (plain, sanitize, windows)" >&2
      return 2
      ;;
  esac
  if [ "${MERIDOX_WERROR:-0}" != 1 ]; then
    echo "$kind"
  elif [ "$kind" = plain ]; then
    echo ci
  elif [ "$kind" = sanitize ]; then
    echo ci-sanitize
  else
    echo windows-ci
  fi
}
