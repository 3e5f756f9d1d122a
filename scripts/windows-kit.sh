# Sourced by the Windows build scripts: finds the Qt kit for 64-bit Windows
# (MinGW-w64) and exports MERIDOX_QT_MINGW, the unpacked kit folder.
#  - MERIDOX_QT_MINGW set: that folder (it must hold the kit's
#    lib/cmake/Qt6/qt.toolchain.cmake), or a kit tarball (unpacked once,
#    checked first against TARBALL.sha256 or SHA256SUMS beside it if any);
#  - otherwise the kit tarball beside the project, ../shared/qt-mingw/,
#    unpacked once into the build cache (checked against its SHA256SUMS).
# Without a kit it says what to run and fails.
meridox_find_qt_mingw() {
  local root="$1" cache="${MERIDOX_KIT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/meridox}"
  local given="${MERIDOX_QT_MINGW:-}" tarball="" sums=""
  if [ -n "$given" ] && [ -d "$given" ]; then
    if [ ! -f "$given/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
      echo "MERIDOX_QT_MINGW=$given holds no Qt kit (lib/cmake/Qt6/qt.toolchain.cmake is missing)" >&2
      return 1
    fi
    MERIDOX_QT_MINGW="$(cd "$given" && pwd)"
    export MERIDOX_QT_MINGW
    return 0
  elif [ -n "$given" ] && [ -f "$given" ]; then
    tarball="$given"
    # Its checksum: from scripts/build-qt-mingw.sh, or a folder's SHA256SUMS.
    if [ -f "$given.sha256" ]; then
      sums="$given.sha256"
    elif [ -f "$(dirname "$given")/SHA256SUMS" ]; then
      sums="$(dirname "$given")/SHA256SUMS"
    fi
  elif [ -n "$given" ]; then
    echo "MERIDOX_QT_MINGW=$given: no such folder or file" >&2
    return 1
  else
    local found=("$root"/../shared/qt-mingw/qt6-mingw64-*.tar.xz)
    [ -f "${found[-1]}" ] && tarball="${found[-1]}"
    [ -n "$tarball" ] && sums="$(dirname "$tarball")/SHA256SUMS"
  fi
  if [ -z "$tarball" ]; then
    cat >&2 <<MSG
No Qt kit for Windows was found. Either
  - build one from Debian's sources (about an hour on two cores):
      scripts/build-qt-mingw.sh ~/qt6-mingw64
    then: export MERIDOX_QT_MINGW=~/qt6-mingw64
  - or point MERIDOX_QT_MINGW at an unpacked kit folder or its .tar.xz.
MSG
    return 1
  fi
  local name
  name="$(basename "$tarball" .tar.xz)"
  local target="$cache/$name"
  if [ ! -f "$target/qt6-mingw64/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    if [ -n "$sums" ] && [ -f "$sums" ]; then
      (cd "$(dirname "$tarball")" && sha256sum --quiet -c "$sums" --ignore-missing) || {
        echo "The Qt kit $tarball does not match its checksum ($sums)" >&2
        return 1
      }
    fi
    echo "Unpacking the Qt kit for Windows into $target" >&2
    # Into a folder of its own, renamed when whole: a build that runs at the
    # same time, or after an interrupted unpack, never sees half a kit.
    mkdir -p "$cache"
    local part
    part="$(mktemp -d "$cache/$name.part.XXXXXX")"
    if ! tar -C "$part" -xJf "$tarball"; then
      rm -rf "$part"
      echo "Unpacking $tarball failed" >&2
      return 1
    fi
    if [ -f "$target/qt6-mingw64/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
      rm -rf "$part"
    else
      rm -rf "$target"
      mv -T "$part" "$target" 2>/dev/null || [ -f "$target/qt6-mingw64/lib/cmake/Qt6/qt.toolchain.cmake" ] || {
        rm -rf "$part"
        echo "The Qt kit could not be put into $target" >&2
        return 1
      }
      rm -rf "$part"
    fi
  fi
  MERIDOX_QT_MINGW="$target/qt6-mingw64"
  export MERIDOX_QT_MINGW
}
