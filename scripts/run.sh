#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program under Wine. With a display it
# simply runs it. Without one it runs it under Xvfb, clicks Start, waits for the rows,
# saves a screenshot (build/screenshot.png), closes the window and prints the exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
bash scripts/build.sh

# The shipped program is 32-bit; only where Wine can run 32-bit programs.
program=build/x86_64/primfaktoren.exe
loader=/usr/lib/wine/wine64
if [ -d /usr/lib/i386-linux-gnu/wine ]; then
    program=build/i686/primfaktoren.exe
    loader=/usr/lib/wine/wine
fi

headless=""
[ -n "${DISPLAY:-}" ] || headless=yes
source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session

if [ -z "$headless" ]; then
    status=0
    "$loader" "$program" </dev/null >/dev/null 2>&1 || status=$?
    echo "exit code: $status"
    exit 0
fi

"$loader" "$program" </dev/null >build/run.log 2>&1 &
pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Primfaktoren und Teiler$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "the window did not appear"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 1
# Start sits at (190, 1) in the client area, 40 x 20; the caption is above it.
eval "$(xdotool getwindowgeometry --shell "$window")"
border=$(((WIDTH - 600) / 2))
client_left=$((X + border))
client_top=$((Y + HEIGHT - 500 - border))
xdotool mousemove $((client_left + 210)) $((client_top + 11)) click 1
if ! "$WINE64" build/x86_64/tests/wait_for_rows.exe 100 60 </dev/null >>build/run.log 2>&1; then
    echo "the 100 rows did not appear"
fi
xdotool mousemove 0 0
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage build/screenshot.png
echo "screenshot: build/screenshot.png"
xdotool key alt+F4
status=0
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end after its window was closed"
    kill "$pid"
    exit 1
fi
wait "$pid" || status=$?
echo "exit code: $status"
