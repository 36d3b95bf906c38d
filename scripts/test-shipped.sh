#!/usr/bin/env bash
# Smoke test of the shipped program, build/i686/primfaktoren.exe, as a user meets it: starts
# it under 32-bit Wine, checks the window, its eight controls and columns, clicks Start,
# checks every cell of the 100 rows, closes it with Alt+F4 and checks exit code 0. Ends with
# one line that says how the program ran and what was seen. Build first with
# scripts/build.sh; run as root.
#
# Where the kernel runs 32-bit programs, Wine's 32-bit loader runs natively. Elsewhere the
# program runs under qemu's user-mode emulator, registered for 32-bit ELF files in the
# binfmt_misc of a user namespace of its own (Linux 6.7 and later give each user namespace
# one), so that every 32-bit program Wine starts, also those a 32-bit Wine process starts
# itself, is emulated, and the machine's own binfmt_misc stays untouched. Everything runs in
# new user, mount, PID and network namespaces: the X server is private, and when the test
# ends for any reason, the end of its PID namespace ends every process it started.
#
# The checks come from the 64-bit twin's check_running_tool.exe, which reads the 32-bit
# program's list with the 32-bit structure layouts; under emulation it runs natively, so
# only the program itself pays the emulation.
#   SHIPPED_TEST_TIMEOUT  seconds for the whole test (default 900)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program="$root/build/i686/primfaktoren.exe"
checker="$root/build/x86_64/tests/check_running_tool.exe"
log_dir="$root/build/shipped"
loader32=/usr/lib/wine/wine
emulator=/usr/bin/qemu-i386-static

# The last line: what ran and what was seen.
summary() {
    echo "shipped i686 program${how:+ ($how)}: $*"
}

fail() {
    if [ -n "${inside:-}" ]; then
        echo "FAILED: $*" >"$log_dir/result"
    else
        summary "FAILED: $*"
    fi
    exit 1
}

seconds_since() {
    echo $((SECONDS - $1))
}

# ---- Inside the namespaces: PID 1 of the new PID namespace, root of the user namespace.
run_inside() {
    inside=yes
    # For qemu, here or in the machine's own binfmt_misc: with its default guest space,
    # whose top is not on a 64 KiB boundary, the mappings qemu moves when Wine reserves its
    # address space end up over Wine's shared user data at 0x7ffe0000, and every 32-bit
    # Wine process fails to start.
    export QEMU_RESERVED_VA=0xffff0000
    if [ "$1" = emulated ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
            fail "this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 or later does), and it runs no 32-bit programs itself"
        # i386 ELF executables and shared objects; F opens the emulator now, so it also
        # serves in other mount namespaces.
        printf '%s' ':primfaktoren-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$emulator"':F' \
            >/proc/sys/fs/binfmt_misc/register ||
            fail "could not register $emulator for 32-bit programs in the namespace's binfmt_misc"
    fi
    timeout 60 "$loader32" --version >/dev/null 2>&1 ||
        fail "Wine's 32-bit loader $loader32 does not run"

    export WINE_SESSION_PREFIX="$root/build/wineprefix-i686"
    source "$root/scripts/wine-session.sh"
    local fresh="" started=$SECONDS
    [ -d "$WINE_SESSION_PREFIX" ] || fresh=yes
    start_wine_session
    echo "prefix ${fresh:+created and }booted: $(seconds_since "$started") s"

    started=$SECONDS
    "$loader32" "$program" </dev/null >"$log_dir/program.log" 2>&1 &
    local tool=$!
    "$WINE64" "$checker" window 300 </dev/null >"$log_dir/window.log" 2>&1 ||
        { cat "$log_dir/window.log"; fail "the window is not as expected"; }
    grep '^list read as' "$log_dir/window.log" || true
    echo "window as expected: $(seconds_since "$started") s after the start"
    local start_x start_y
    read -r _ start_x start_y < <(grep '^start-button ' "$log_dir/window.log") ||
        fail "the check found no Start button to click"

    started=$SECONDS
    xdotool mousemove "$start_x" "$start_y" click 1 || fail "xdotool could not click Start"
    "$WINE64" "$checker" rows 100 120 </dev/null >"$log_dir/rows.log" 2>&1 ||
        { cat "$log_dir/rows.log"; fail "the rows are not as expected"; }
    local rows
    rows=$(grep -o '^[0-9]* correct rows' "$log_dir/rows.log")
    echo "$rows: $(seconds_since "$started") s after the click on Start"
    xdotool mousemove 0 0
    sleep 0.5
    import -window root "$log_dir/screenshot.png"

    started=$SECONDS
    xdotool key alt+F4 || fail "xdotool could not press Alt+F4"
    local waited
    for waited in $(seq 600); do
        kill -0 "$tool" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$tool" 2>/dev/null && fail "the program still runs 60 s after Alt+F4"
    local status=0
    wait "$tool" || status=$?
    echo "ended $(seconds_since "$started") s after Alt+F4"
    stop_wine_session
    [ "$status" -eq 0 ] || fail "$rows, but exit code $status"
    echo "$rows, exit code $status" >"$log_dir/result"
}

if [ "${1:-}" = --inside ]; then
    run_inside "$2"
    exit 0
fi

# ---- Outside: choose how the 32-bit program can run, then enter the namespaces.
how=""
mode=native
[ -f "$program" ] || fail "missing: $program (run scripts/build.sh)"
[ -f "$checker" ] || fail "missing: $checker (run scripts/build.sh)"
if timeout 60 "$loader32" --version >/dev/null 2>&1; then
    how=native
    # A machine whose own binfmt_misc hands 32-bit programs to qemu emulates them too.
    grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && how="emulated by the machine"
elif [ -x "$emulator" ] && [ -x "$loader32" ]; then
    how=emulated
    mode=emulated
else
    fail "this machine runs no 32-bit programs, and qemu-i386-static or Wine's 32-bit loader is missing (run scripts/install-dependencies.sh)"
fi
mkdir -p "$log_dir"
rm -f "$log_dir/result"
limit="${SHIPPED_TEST_TIMEOUT:-900}"
started=$SECONDS
status=0
timeout --kill-after=10 "$limit" \
    unshare --user --map-root-user --mount --net --pid --fork --kill-child --mount-proc \
    bash "$0" --inside "$mode" </dev/null >"$log_dir/smoke.log" 2>&1 || status=$?
cat "$log_dir/smoke.log"
echo "smoke test: $(seconds_since "$started") s"
if [ -f "$log_dir/result" ]; then
    summary "$(cat "$log_dir/result")"
    grep -q '^FAILED' "$log_dir/result" && exit 1
    exit "$status"
fi
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    summary "FAILED: no result within $limit s"
else
    summary "FAILED: the test ended with status $status and no result"
fi
exit 1
