#!/usr/bin/env bash
# Prints every benchmark figure in one run: the 64-bit twin's factor and divisor text
# benchmark, then its tool benchmark (row rates against the bare per-row loop, the turn
# without a row, private bytes per row, idle processor time, executable sizes), under Wine
# on a display (an Xvfb of its own when DISPLAY is not set). Build first with
# scripts/build.sh.
#   $1  the build directory (default: build/x86_64)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/x86_64}"
for program in factor_text_benchmark tool_benchmark; do
    [ -f "$build/bench/$program.exe" ] || { echo "missing: $build/bench/$program.exe"; exit 1; }
done

source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session
status=0
for program in factor_text_benchmark tool_benchmark; do
    echo "== $program"
    # Output to a file: Wine's service processes may hold a pipe open long after the run.
    output="$build/$program.txt"
    /usr/lib/wine/wine64 "$build/bench/$program.exe" </dev/null >"$output" 2>&1 || status=$?
    cat "$output"
done
exit $status
