# Sourced by the scripts that run 32-bit Windows programs: where the kernel runs 32-bit
# code, Wine's 32-bit loader runs natively; elsewhere under qemu's user-mode emulator,
# registered for 32-bit ELF files in the binfmt_misc of a user namespace of its own (Linux
# 6.7 and later give each user namespace one), so that every 32-bit program Wine starts,
# also those a 32-bit Wine process starts itself, is emulated, and the machine's own
# binfmt_misc stays untouched. The work runs in new user, mount, PID and network
# namespaces: its X server is private, and when it ends for any reason, the end of its PID
# namespace ends every process it started.
#   wine32_choose           sets WINE32_MODE (native, emulated) and WINE32_HOW (how the
#                           programs run, for messages); returns 1 with WINE32_PROBLEM set
#                           when this machine can do neither
#   wine32_enter SECONDS ARGS...
#                           runs `bash ARGS...` in the namespaces, with standard input
#                           null, for at most SECONDS (status 124 or 137 beyond them)
#   wine32_prepare_inside   in there: makes 32-bit programs run; returns 1 with
#                           WINE32_PROBLEM set when they do not
#   WINE32_PREFIX           the Wine prefix of 32-bit sessions, made while 32-bit Wine is there

WINE32_LOADER=/usr/lib/wine/wine
WINE32_EMULATOR=/usr/bin/qemu-i386-static
# For qemu, here or in the machine's own binfmt_misc: with its default guest space, whose
# top is not on a 64 KiB boundary, the mappings qemu moves when Wine reserves its address
# space end up over Wine's shared user data at 0x7ffe0000, and every 32-bit Wine process
# fails to start.
WINE32_QEMU_RESERVED_VA=0xffff0000
WINE32_PREFIX="${WINE32_PREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-i686}"
# Handed on into the namespaces by wine32_enter.
WINE32_MODE="${WINE32_MODE:-}"
WINE32_HOW=""
WINE32_PROBLEM=""

wine32_choose() {
    if timeout 60 "$WINE32_LOADER" --version >/dev/null 2>&1; then
        WINE32_MODE=native
        WINE32_HOW=native
        # A machine whose own binfmt_misc hands 32-bit programs to qemu emulates them too.
        grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && WINE32_HOW="emulated by the machine"
    elif [ -x "$WINE32_EMULATOR" ] && [ -x "$WINE32_LOADER" ]; then
        WINE32_MODE=emulated
        WINE32_HOW=emulated
    else
        WINE32_PROBLEM="this machine runs no 32-bit programs, and qemu-i386-static or Wine's 32-bit loader is missing (run scripts/install-dependencies.sh)"
        return 1
    fi
}

wine32_enter() {
    local seconds="$1"
    shift
    WINE32_MODE="$WINE32_MODE" timeout --kill-after=10 "$seconds" \
        unshare --user --map-root-user --mount --net --pid --fork --kill-child --mount-proc \
        bash "$@" </dev/null
}

wine32_prepare_inside() {
    export QEMU_RESERVED_VA="$WINE32_QEMU_RESERVED_VA"
    if [ "$WINE32_MODE" = emulated ]; then
        if ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
            WINE32_PROBLEM="this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 or later does), and it runs no 32-bit programs itself"
            return 1
        fi
        # i386 ELF executables and shared objects; F opens the emulator now, so it also
        # serves in other mount namespaces.
        if ! printf '%s' ':primfaktoren-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$WINE32_EMULATOR"':F' \
            >/proc/sys/fs/binfmt_misc/register; then
            WINE32_PROBLEM="could not register $WINE32_EMULATOR for 32-bit programs in the namespace's binfmt_misc"
            return 1
        fi
    fi
    if ! timeout 60 "$WINE32_LOADER" --version >/dev/null 2>&1; then
        WINE32_PROBLEM="Wine's 32-bit loader $WINE32_LOADER does not run"
        return 1
    fi
}
