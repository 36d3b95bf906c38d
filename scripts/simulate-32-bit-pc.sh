#!/usr/bin/env bash
# Runs a command as on an ordinary PC, whose kernel runs 32-bit programs: in new user,
# mount, PID and network namespaces whose own binfmt_misc hands 32-bit x86 ELF files to
# qemu's user-mode emulator under a name of this script's, so that Wine's 32-bit loader
# runs as it would there (slowly, as on a machine that emulates them). Namespaces that the
# command makes inherit the registration; the machine's own binfmt_misc stays untouched, and
# every process the command started ends with it. Needs Linux 6.7 or later; run as root.
#   simulate-32-bit-pc.sh COMMAND [ARGUMENTS...]
#   e.g. bash scripts/simulate-32-bit-pc.sh bash scripts/test-shipped.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ "${1:-}" != --inside ]; then
    [ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGUMENTS...]" >&2; exit 2; }
    exec unshare --user --map-root-user --mount --net --pid --fork --kill-child --mount-proc \
        bash "$here/simulate-32-bit-pc.sh" --inside "$@"
fi
shift

source "$here/wine32.sh"
if ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
    echo "simulate-32-bit-pc: this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 or later does)" >&2
    exit 1
fi
if ! wine32_register_emulator simulated-pc-i386; then
    echo "simulate-32-bit-pc: could not register $WINE32_EMULATOR for 32-bit programs" >&2
    exit 1
fi
export QEMU_RESERVED_VA="$WINE32_QEMU_RESERVED_VA"
echo "simulate-32-bit-pc: 32-bit programs run as on a PC (here through $WINE32_EMULATOR)"
"$@"
