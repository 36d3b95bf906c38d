#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program under Wine: the shipped 32-bit
# program where this machine runs Wine's 32-bit loader, its 64-bit twin elsewhere. With a
# display (DISPLAY set) it runs it there, as a normal window of the desktop, until it is
# closed. Without one it runs it under an Xvfb of its own, checks the window, clicks Start,
# checks the 100 rows, saves a screenshot (build/screenshot.png), closes the window with
# Alt+F4 and prints the exit code. Exits non-zero when any of that fails.
set -euo pipefail
cd "$(dirname "$0")/.."

pid=""
# Every way out that is not the program's own end says why.
fail() {
    echo "run.sh: FAILED: $*"
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    exit 1
}

bash scripts/install-dependencies.sh || fail "the packages above could not be installed"

source scripts/wine32.sh
checker=build/x86_64/tests/check_running_tool.exe
window_wait=60
if wine32_choose && [ "$WINE32_MODE" = native ]; then
    program=build/i686/primfaktoren.exe
    loader="$WINE32_LOADER"
    export WINE_SESSION_PREFIX="$WINE32_PREFIX"
    description="the shipped 32-bit program"
    if [ "$WINE32_HOW" != native ]; then
        # Each emulated Wine process starts in about a minute, two on a busy machine.
        window_wait=300
        export QEMU_RESERVED_VA="$WINE32_QEMU_RESERVED_VA"
        description="$description, $WINE32_HOW"
    fi
else
    program=build/x86_64/primfaktoren.exe
    loader=/usr/lib/wine/wine64
    description="the 64-bit twin (this machine runs no 32-bit programs)"
fi
echo "starting $program: $description"
bash scripts/build.sh || fail "the build failed (its errors are above)"

source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session desktop

if [ -z "$started_xvfb" ]; then
    status=0
    "$loader" "$program" </dev/null >build/run.log 2>&1 || status=$?
    echo "exit code: $status"
    exit $status
fi

"$loader" "$program" </dev/null >build/run.log 2>&1 &
pid=$!
if ! "$WINE64" "$checker" window "$window_wait" </dev/null >build/run-window.log 2>&1; then
    cat build/run-window.log build/run.log
    fail "the window is not as expected"
fi
read -r _ start_x start_y < <(grep '^start-button ' build/run-window.log) ||
    fail "the check of the window named no Start button to click"
xdotool mousemove "$start_x" "$start_y" click 1 || fail "xdotool could not click Start"
if ! "$WINE64" "$checker" rows 100 120 </dev/null >build/run-rows.log 2>&1; then
    cat build/run-rows.log
    fail "the 100 rows did not appear as expected"
fi
tail -n 1 build/run-rows.log
xdotool mousemove 0 0
sleep 0.5
geometry=$(xdotool search --name '^Primfaktoren und Teiler$' getwindowgeometry --shell) ||
    fail "the window \"Primfaktoren und Teiler\" is gone from the display"
eval "$geometry"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage build/screenshot.png ||
    fail "the screenshot could not be taken"
echo "screenshot: build/screenshot.png"
xdotool key alt+F4 || fail "xdotool could not press Alt+F4"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end within 10 s of Alt+F4"
status=0
wait "$pid" || status=$?
echo "exit code: $status"
exit $status
