#!/usr/bin/env bash
# Prints every benchmark figure in one run: the 64-bit twin's factor and divisor text
# benchmark, its tool benchmark (row rates against the bare per-row loop, the turn without
# a row, private bytes and resident growth per row, idle processor time, the copy of
# 100,000 rows, a list of 300,000 rows, executable sizes) and its memory benchmark, then
# the memory benchmark of the 32-bit build, natively or emulated as scripts/wine32.sh can.
# Everything runs on an Xvfb of its own. Build first with scripts/build.sh; run as root.
#   benchmark.sh            all of it
#   benchmark.sh rows       only the row figures of the tool benchmark: the tool against
#                           the limit loop, where a running turn's time goes, and the rate
#                           late in a long run against early (about a minute)
#   benchmark.sh capacity [LAST]
#                           only the 32-bit run of the rows 1..LAST (10,000,000 unless
#                           given), or as many as fit, twice: about 15 minutes each
#                           natively for 30,000,000
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/wine32.sh

# Runs one benchmark program and prints what it printed. Output goes to a file: Wine's
# service processes may hold a pipe open long after the run.
run_benchmark() {
    local loader="$1" program="$2" output="${2%.exe}.txt"
    shift 2
    echo "== $program $*"
    "$loader" "$program" "$@" </dev/null >"$output" 2>&1 || status=1
    cat "$output"
}

if [ "${1:-}" = --inside-wine32 ]; then
    wine32_prepare_inside || { echo "$WINE32_PROBLEM"; exit 1; }
    export WINE_SESSION_PREFIX="$WINE32_PREFIX"
    source scripts/wine-session.sh
    trap stop_wine_session EXIT
    start_wine_session
    status=0
    run_benchmark "$WINE32_LOADER" build/i686/bench/memory_benchmark.exe "${@:2}"
    exit $status
fi

for program in build/x86_64/bench/{factor_text,tool,memory}_benchmark.exe \
    build/i686/bench/memory_benchmark.exe; do
    [ -f "$program" ] || { echo "missing: $program (run scripts/build.sh)"; exit 1; }
done

if [ "${1:-}" = rows ]; then
    source scripts/wine-session.sh
    trap stop_wine_session EXIT
    start_wine_session
    status=0
    run_benchmark "$WINE64" build/x86_64/bench/tool_benchmark.exe rows
    exit $status
fi

status=0
if [ "${1:-}" != capacity ]; then
    (
        source scripts/wine-session.sh
        trap stop_wine_session EXIT
        start_wine_session
        for program in factor_text tool memory; do
            run_benchmark "$WINE64" "build/x86_64/bench/${program}_benchmark.exe"
        done
        exit $status
    ) || status=1
fi

if wine32_choose; then
    echo "(32-bit programs: $WINE32_HOW)"
    # The capacity runs take hours with a range larger than the default.
    seconds=7200
    [ "${1:-}" = capacity ] && seconds=28800
    wine32_enter "$seconds" "$root/scripts/benchmark.sh" --inside-wine32 "$@" || status=1
else
    echo "no 32-bit figures: $WINE32_PROBLEM"
    status=1
fi
exit $status
