# Sourced by the scripts that run 32-bit Windows programs: where the kernel runs 32-bit
# code, Wine's 32-bit loader runs natively; elsewhere under qemu's user-mode emulator,
# registered for 32-bit ELF files in the binfmt_misc of a user namespace of its own (Linux
# 6.7 and later give each user namespace one), so that every 32-bit program Wine starts,
# also those a 32-bit Wine process starts itself, is emulated, and the machine's own
# binfmt_misc stays untouched. The work runs in new user, mount, PID and network
# namespaces: its X server is private, and when it ends for any reason, the end of its PID
# namespace ends every process it started.
#   wine32_choose           sets WINE32_MODE (native, emulated) and WINE32_HOW (how the
#                           programs run, for messages: native, emulated, or emulated by
#                           the machine's own binfmt_misc); returns 1 with WINE32_PROBLEM
#                           set when this machine can do neither
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
    local interpreter
    if timeout 60 "$WINE32_LOADER" --version >/dev/null 2>&1; then
        WINE32_MODE=native
        WINE32_HOW=native
        # A machine whose own binfmt_misc hands 32-bit programs to an emulator (qemu on an
        # ARM machine, say) runs them natively as far as Wine can tell, but slowly.
        if interpreter=$(wine32_binfmt_interpreter); then
            WINE32_HOW="emulated by the machine's ${interpreter##*/}"
        fi
    elif [ -x "$WINE32_EMULATOR" ] && [ -x "$WINE32_LOADER" ]; then
        WINE32_MODE=emulated
        WINE32_HOW=emulated
    else
        WINE32_PROBLEM="this machine runs no 32-bit programs, and qemu-i386-static or Wine's 32-bit loader is missing (run scripts/install-dependencies.sh)"
        return 1
    fi
    return 0
}

# Prints the interpreter of the first enabled binfmt_misc entry that takes 32-bit x86 ELF
# files, whatever the entry is called; fails when there is none.
wine32_binfmt_interpreter() {
    local entry
    for entry in /proc/sys/fs/binfmt_misc/*; do
        case "${entry##*/}" in register | status) continue ;; esac
        [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null || continue
        # The identification's class byte 01 (32-bit), then the machine 3 (i386) after
        # the type.
        awk '$1 == "magic" && substr($2, 1, 10) == "7f454c4601" && substr($2, 37, 4) == "0300" { found = 1 }
             END { exit !found }' "$entry" || continue
        sed -n 's/^interpreter //p' "$entry"
        return 0
    done
    return 1
}

wine32_enter() {
    local seconds="$1"
    shift
    WINE32_MODE="$WINE32_MODE" timeout --kill-after=10 "$seconds" \
        unshare --user --map-root-user --mount --net --pid --fork --kill-child --mount-proc \
        bash "$@" </dev/null
}

# Registers the emulator for i386 ELF executables and shared objects under NAME in the
# binfmt_misc mounted at /proc/sys/fs/binfmt_misc; F opens the emulator now, so it also
# serves in other mount namespaces.
wine32_register_emulator() {
    printf '%s' ":$1"':M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$WINE32_EMULATOR"':F' \
        >/proc/sys/fs/binfmt_misc/register
}

wine32_prepare_inside() {
    export QEMU_RESERVED_VA="$WINE32_QEMU_RESERVED_VA"
    if [ "$WINE32_MODE" = emulated ]; then
        if ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
            WINE32_PROBLEM="this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 or later does), and it runs no 32-bit programs itself"
            return 1
        fi
        if ! wine32_register_emulator primfaktoren-i386; then
            WINE32_PROBLEM="could not register $WINE32_EMULATOR for 32-bit programs in the namespace's binfmt_misc"
            return 1
        fi
    fi
    if ! timeout 60 "$WINE32_LOADER" --version >/dev/null 2>&1; then
        WINE32_PROBLEM="Wine's 32-bit loader $WINE32_LOADER does not run"
        return 1
    fi
}
