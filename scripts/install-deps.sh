#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need,
# only those missing. As root it runs apt-get itself, otherwise through sudo;
# without sudo it prints the command to run as root and fails.
set -euo pipefail

packages=(
  # build: compiler, CMake with Ninja, Qt with its code generator (moc)
  cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools
  # the core registers the Turkish collation through SQLite's C interface
  libsqlite3-dev
  # run: Qt's SQLite driver (Data.mdb, Log.mdb), its MySQL driver (the
  # personnel database), the window-system plugins for a visible window
  libqt6sql6-sqlite libqt6sql6-mysql qt6-qpa-plugins
  # run.sh: simulator/start-demo.sh adds the demo terminal rows with sqlite3
  sqlite3
  # tests: nm -D reads the stand-in libraries' exported names; MariaDB tests
  # start mariadbd (server-core, no system service) in a temporary folder,
  # and its mariadb-install-db needs my_print_defaults from client-core
  binutils mariadb-server-core mariadb-client-core
  # the Debian package (scripts/package.sh, the package test): CPack finds
  # the binaries with file and their dependencies with dpkg-shlibdeps; the
  # test checks the package with lintian and the installed menu entry and
  # AppStream data with their validators
  dpkg-dev file lintian desktop-file-utils appstream
  # the terminal vendor's Windows libraries through Wine: the mingw-w64
  # cross-compilers build sdkhost and the Windows stand-ins, wine and wine64
  # run them; wine32 (32-bit libraries) comes from the i386 architecture,
  # added below when it is missing
  mingw-w64 wine wine64 wine32
  # where the kernel runs no 32-bit code, wine32 runs through qemu-user's
  # i386 emulation (scripts/enable-32bit.sh registers it)
  qemu-user-static
  # the Windows program (scripts/build-windows.sh): the posix-thread mingw-w64
  # compiler the Qt kit was built with (Qt needs std::thread), makensis for
  # the installer, zip for the portable folder; its build steps and tests run
  # under wine64 (above) with the offscreen platform, so no X server or fonts
  g++-mingw-w64-x86-64-posix nsis zip
  # the guide's pictures (scripts/guide-pictures.sh): the windows on an X
  # server of their own, xvfb-run's X authority through xauth, and a font
  # for Qt to draw the texts with (the server has none of its own)
  xvfb xauth fonts-dejavu-core
  # the installer's pictures (scripts/installer-pictures.sh): xdotool finds
  # the installer's window under Wine and presses its buttons, imagemagick's
  # import saves the window as PNG
  xdotool imagemagick
  # the operator's guide in HTML (scripts/render-guide.sh, run by
  # build-guide.sh and the guide tests): Sphinx with MyST under Debian's
  # /usr/bin/python3; the search test opens it in a headless Chromium
  python3-sphinx python3-myst-parser chromium
  # the formatting check (scripts/check-format.sh, run by CI)
  clang-format git
)

# wine32 is an i386 package: without the i386 architecture apt cannot see it.
needs_i386=false
if [ "$(dpkg --print-architecture)" = amd64 ] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  needs_i386=true
fi

missing=()
for p in "${packages[@]}"; do
  [ "$p" = wine32 ] && p=wine32:i386
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
add_i386=()
if $needs_i386 && [[ " ${missing[*]} " == *" wine32:i386 "* ]]; then
  command="dpkg --add-architecture i386 && $command"
  add_i386=(dpkg --add-architecture i386)
fi
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "sudo is not available; run this as root, then start again:" >&2
  echo "  $command" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
if ! { { [ ${#add_i386[@]} -eq 0 ] || "${as_root[@]}" "${add_i386[@]}"; } &&
  "${as_root[@]}" apt-get update &&
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"; }; then
  echo "Installing failed; run this as root, then start again:" >&2
  echo "  $command" >&2
  exit 1
fi
