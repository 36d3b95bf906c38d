#!/usr/bin/env bash
# Prints the tool benchmark's figures: runs the 64-bit twin's benchmark under Wine on a
# display (an Xvfb of its own when DISPLAY is not set). Build first with scripts/build.sh.
#   $1  the build directory (default: build/x86_64)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/x86_64}"
[ -f "$build/bench/tool_benchmark.exe" ] || { echo "missing: $build/bench/tool_benchmark.exe"; exit 1; }

source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session
# Output to a file: Wine's service processes may hold a pipe open long after the run.
output="$build/tool_benchmark.txt"
status=0
/usr/lib/wine/wine64 "$build/bench/tool_benchmark.exe" </dev/null >"$output" 2>&1 || status=$?
cat "$output"
exit $status
