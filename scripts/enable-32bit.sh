#!/usr/bin/env bash
# Lets this machine run 32-bit x86 programs, which the terminal vendor's
# usual library is: Wine's 32-bit loader runs sdkhost-i686.exe, and that
# needs a kernel that runs i386 code. Where the kernel runs it already, this
# does nothing. Where it does not (a 64-bit kernel built without 32-bit
# support, as on the build and CI machines here), it lets qemu-user emulate
# the i386 processor for every i386 program:
#  - mounts binfmt_misc where it is not mounted;
#  - writes /usr/local/lib/meridox/qemu-i386-wine, a two-line interpreter that
#    reserves the guest address space Wine's 32-bit loader needs
#    (QEMU_RESERVED_VA; without it Wine stops with "failed to map the shared
#    user data") and runs qemu-i386-static;
#  - registers it for i386 programs as "meridox-i386", and switches off any
#    other i386 entry, which would win otherwise.
# It needs root and Debian's qemu-user-static (scripts/install-deps.sh
# installs it). It can be run again: it says what it found and what it did.
# Exit status 0 when 32-bit programs run afterwards, 77 when they cannot here
# (not root, no binfmt_misc, no qemu): the 32-bit tests then skip, saying why.
#
#
#   scripts/enable-32bit.sh            as above
#   scripts/enable-32bit.sh --emulate  registers qemu-user even where the
#                                      kernel runs i386 code (to try the
#                                      emulated path on such a machine)
#   scripts/enable-32bit.sh --off      removes the entry again
#
# A Wine prefix must be made while 32-bit programs run: in one made before,
# Wine's 32-bit system folder (syswow64) stays empty. The scripts that make
# prefixes make them again when they find one like that.
set -euo pipefail

name=meridox-i386
interpreter=/usr/local/lib/meridox/qemu-i386-wine
qemu=/usr/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc
# The ELF header of every i386 executable, and which of its bytes to compare:
# 32-bit, little-endian, ELF version 1, executable or shared object, i386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "enable-32bit: $*"; }

# runs_i386: whether an i386 program runs: a 93-byte static ELF that only
# calls exit(0).
runs_i386() {
  local probe status
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  # e_type 2, e_machine 3, e_version 1, e_entry 0x08048054, e_phoff 52,
  # e_shoff 0, e_flags 0, e_ehsize 52, e_phentsize 32, e_phnum 1, no sections.
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00' >>"$probe"
  # One loadable segment: the whole file at 0x08048000, readable and executable.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  # mov eax, 1 (exit); xor ebx, ebx; int 0x80
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

entry_on() { [ -f "$binfmt/$1" ] && head -n1 "$binfmt/$1" | grep -qx enabled; }

mode="${1:-}"
case "$mode" in
  "" | --emulate) ;;
  --off)
    if [ -f "$binfmt/$name" ]; then
      echo -1 >"$binfmt/$name"
      say "removed the entry $name"
    else
      say "no entry $name; nothing to do"
    fi
    exit 0
    ;;
  *)
    echo "usage: $0 [--emulate | --off]" >&2
    exit 2
    ;;
esac

if entry_on "$name" && runs_i386; then
  say "32-bit programs run here through qemu-user (entry $name); nothing to do"
  exit 0
fi
if [ "$mode" != --emulate ] && ! entry_on "$name" && runs_i386; then
  say "this kernel runs 32-bit programs itself; nothing to do"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  say "this kernel runs no 32-bit programs, and only root can let qemu-user run them (run this script as root)" >&2
  exit 77
fi
if [ ! -x "$qemu" ]; then
  say "this kernel runs no 32-bit programs, and $qemu is missing (apt-get install qemu-user-static)" >&2
  exit 77
fi
if [ ! -e "$binfmt/register" ]; then
  if ! grep -qw binfmt_misc /proc/filesystems 2>/dev/null &&
    ! modprobe binfmt_misc 2>/dev/null; then
    say "this kernel has no binfmt_misc, so it cannot hand 32-bit programs to qemu-user" >&2
    exit 77
  fi
  if ! mount -t binfmt_misc binfmt_misc "$binfmt"; then
    say "binfmt_misc could not be mounted on $binfmt" >&2
    exit 77
  fi
  say "mounted binfmt_misc on $binfmt"
fi

mkdir -p "$(dirname "$interpreter")"
wanted="#!/bin/sh
QEMU_RESERVED_VA=0xf7000000 exec $qemu \"\$@\""
if [ ! -f "$interpreter" ] || [ "$(cat "$interpreter")" != "$wanted" ]; then
  printf '%s\n' "$wanted" >"$interpreter.new"
  chmod 755 "$interpreter.new"
  mv -f "$interpreter.new" "$interpreter"
  say "wrote $interpreter"
fi

# Another i386 entry (a qemu-i386 registered by a package, say) comes first
# otherwise, without the address space Wine needs.
for entry in "$binfmt"/*; do
  [ -f "$entry" ] || continue
  case "$(basename "$entry")" in register | status | "$name") continue ;; esac
  if entry_on "$(basename "$entry")" && grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry"; then
    echo 0 >"$entry"
    say "switched off the i386 entry $(basename "$entry"), which would run without Wine's address space"
  fi
done

[ -f "$binfmt/$name" ] && echo -1 >"$binfmt/$name"
echo ":$name:M::$magic:$mask:$interpreter:" >"$binfmt/register"
if runs_i386; then
  say "registered $name: 32-bit programs now run through qemu-user"
  exit 0
fi
say "registered $name, but a 32-bit program still does not run" >&2
exit 1
