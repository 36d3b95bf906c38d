#!/usr/bin/env bash
# Smoke test of the shipped program, build/i686/primfaktoren.exe, as a user meets it: starts
# it under 32-bit Wine, checks the window, its eight controls and columns, clicks Start,
# checks every cell of the 100 rows, closes it with Alt+F4 and checks exit code 0. Ends with
# one line that says how the program ran and what was seen. Build first with
# scripts/build.sh; run as root. How 32-bit programs run here: scripts/wine32.sh.
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
source "$root/scripts/wine32.sh"

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
    wine32_prepare_inside || fail "$WINE32_PROBLEM"

    export WINE_SESSION_PREFIX="$WINE32_PREFIX"
    source "$root/scripts/wine-session.sh"
    local fresh="" started=$SECONDS
    [ -d "$WINE_SESSION_PREFIX" ] || fresh=yes
    start_wine_session
    echo "prefix ${fresh:+created and }booted: $(seconds_since "$started") s"

    started=$SECONDS
    "$WINE32_LOADER" "$program" </dev/null >"$log_dir/program.log" 2>&1 &
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
    run_inside
    exit 0
fi

# ---- Outside: choose how the 32-bit program can run, then enter the namespaces.
how=""
[ -f "$program" ] || fail "missing: $program (run scripts/build.sh)"
[ -f "$checker" ] || fail "missing: $checker (run scripts/build.sh)"
wine32_choose || fail "$WINE32_PROBLEM"
how="$WINE32_HOW"
mkdir -p "$log_dir"
rm -f "$log_dir/result"
limit="${SHIPPED_TEST_TIMEOUT:-900}"
started=$SECONDS
status=0
# By its absolute path: "$0" may be relative to the folder it was started from.
wine32_enter "$limit" "$root/scripts/test-shipped.sh" --inside >"$log_dir/smoke.log" 2>&1 ||
    status=$?
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
